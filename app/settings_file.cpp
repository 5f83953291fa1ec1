#include "app/settings_file.h"

#include <charconv>
#include <vector>

#include "app/settings_document.h"
#include "app/settings_encoding.h"
#include "platform/file_store.h"

namespace app {

namespace {

// The writes of a batch, kept to be applied again when the file changes before the commit.
// One buffer holds all their text: a saved device list is two writes per device.
class WriteLog {
public:
    void Add(std::string_view section, std::string_view key, std::string_view value) {
        entries_.push_back(Entry{text_.size(), static_cast<std::uint32_t>(section.size()),
                                 static_cast<std::uint32_t>(key.size()),
                                 static_cast<std::uint32_t>(value.size())});
        text_.append(section).append(key).append(value);
    }
    template <typename Apply>
    void ForEach(Apply apply) const {
        const std::string_view text(text_);
        for (const Entry& entry : entries_) {
            apply(text.substr(entry.at, entry.section),
                  text.substr(entry.at + entry.section, entry.key),
                  text.substr(entry.at + entry.section + entry.key, entry.value));
        }
    }
    bool Empty() const { return entries_.empty(); }
    void Clear() {
        text_.clear();
        entries_.clear();
    }

private:
    struct Entry {
        std::size_t at;
        std::uint32_t section, key, value;  // lengths; each is at most kMaxTextBytes
    };
    std::string text_;
    std::vector<Entry> entries_;
};

}  // namespace

struct SettingsFile::State {
    std::string path;
    SettingsDocument document;  // the file's lines, plus the open batch's writes
    SettingsEncoding encoding = SettingsEncoding::kBytes;
    bool exact = true;          // the document holds the file's text without loss
    std::string encoded;        // the bytes of a UTF-16 file, which the document holds as UTF-8
    std::string written;        // what our last write put in the file, while ownWrite
    bool ownWrite = false;      // else the file held document.ParsedText() (or encoded)
    platform::FileStamp stamp;  // the version last read or written
    bool cached = false;        // the copy in memory describes the version of stamp
    bool recent = false;        // that version was young enough to hide a same-stamp rewrite
    bool readable = true;       // false: something is at the path that cannot be read
    std::uint64_t parses = 0;
    int batchDepth = 0;
    WriteLog batch;

    const std::string& FileBytes() const {
        return ownWrite                               ? written
               : encoding == SettingsEncoding::kBytes ? document.ParsedText()
                                                      : encoded;
    }
    // Brings the copy in memory up to the file. True when the document was parsed anew, which
    // drops the writes of an open batch from it.
    bool Refresh();
    // Writes the file with these writes applied to what it holds now; `applied` tells that the
    // document already carries them.
    bool Replace(const WriteLog& writes, bool applied);
    bool Write(std::string_view section, std::string_view key, std::string_view value);
};

bool SettingsFile::State::Refresh() {
    if (cached && !recent && platform::StatFile(path) == stamp) return false;
    const std::int64_t readAt = platform::WallClockNs();
    std::string read;
    const platform::FileRead result = platform::ReadRegularFile(path, kMaxFileBytes, read, stamp);
    readable = result != platform::FileRead::kUnreadable;
    // A rewrite within the same stamp tick as the version read would go unseen by the stamp
    // alone; until the tick is surely over, the bytes are compared as well.
    recent = result == platform::FileRead::kOk && readAt - stamp.mtimeNs < kRecentWriteNs;
    const bool same = cached && read == FileBytes();
    cached = true;
    if (same) return false;
    DecodedSettings decoded = DecodeSettingsText(std::move(read));
    encoding = decoded.encoding;
    exact = decoded.exact;
    encoded = std::move(decoded.utf16);
    document.Parse(std::move(decoded.text));
    written.clear();
    ownWrite = false;
    ++parses;
    return true;
}

bool SettingsFile::State::Replace(const WriteLog& writes, bool applied) {
    if (Refresh() || !applied) {
        writes.ForEach([this](std::string_view section, std::string_view key,
                              std::string_view value) { document.Set(section, key, value); });
    }
    // A file that cannot be read, or whose UTF-16 could not be read whole, is never written over:
    // its other values would be lost. A value that UTF-16 cannot hold is refused the same way.
    std::string serialized;
    if (readable && exact) serialized = document.Serialize();
    if (!readable || !exact || !EncodeSettingsText(serialized, encoding)) {
        cached = false;  // the next read parses the file again, without these writes
        return false;
    }
    if (serialized == FileBytes() && stamp.kind == platform::FileKind::kRegular) return true;
    platform::FileStamp replaced;
    if (!platform::ReplaceFileAtomically(path, serialized, replaced)) {
        cached = false;
        return false;
    }
    written = std::move(serialized);
    ownWrite = true;
    stamp = replaced;
    recent = true;
    return true;
}

bool SettingsFile::State::Write(std::string_view section, std::string_view key,
                                std::string_view value) {
    if (!SettingsDocument::IsValidSectionName(section) || !SettingsDocument::IsValidKeyName(key) ||
        !SettingsDocument::IsValidValue(value))
        return false;
    if (batchDepth > 0) {
        document.Set(section, key, value);
        batch.Add(section, key, value);
        return true;
    }
    WriteLog single;
    single.Add(section, key, value);
    return Replace(single, false);
}

SettingsFile::SettingsFile(std::string path) : state_(std::make_unique<State>()) {
    state_->path = std::move(path);
}

SettingsFile::~SettingsFile() = default;

void SettingsFile::SetPath(std::string path) {
    state_ = std::make_unique<State>();
    state_->path = std::move(path);
}

const std::string& SettingsFile::Path() const { return state_->path; }

std::int32_t SettingsFile::ReadInt(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) {
    if (state_->batchDepth == 0) state_->Refresh();
    const auto value = state_->document.Find(section, key);
    return value ? ParseProfileInt(*value, defaultValue) : defaultValue;
}

std::string SettingsFile::ReadText(std::string_view section, std::string_view key) {
    if (state_->batchDepth == 0) state_->Refresh();
    const auto value = state_->document.Find(section, key);
    return value ? std::string(*value) : std::string();
}

bool SettingsFile::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
    char text[16];  // "%d" of any 32-bit value fits
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return state_->Write(section, key,
                         std::string_view(text, static_cast<std::size_t>(end - text)));
}

bool SettingsFile::WriteText(std::string_view section, std::string_view key,
                             std::string_view text) {
    return state_->Write(section, key, text);
}

void SettingsFile::BeginBatch() {
    if (state_->batchDepth++ == 0) {
        state_->batch.Clear();
        state_->Refresh();
    }
}

bool SettingsFile::CommitBatch() {
    State& state = *state_;
    if (state.batchDepth == 0 || --state.batchDepth > 0) return true;
    WriteLog writes = std::move(state.batch);
    state.batch.Clear();
    return writes.Empty() || state.Replace(writes, true);
}

std::uint64_t SettingsFile::ParseCount() const { return state_->parses; }
bool SettingsFile::Readable() const { return state_->readable; }

}  // namespace app
