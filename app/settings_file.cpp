#include "app/settings_file.h"

#include <cstdio>
#include <vector>

#include "app/settings_document.h"
#include "platform/file_store.h"

namespace {

struct PendingWrite {
    std::string section;
    std::string key;
    std::string value;
};

}  // namespace

struct SettingsFile::State {
    std::string path;
    SettingsDocument document;      // the file's lines, plus the open batch's writes
    std::string bytes;              // what the file held when last read or written
    platform::FileStamp stamp;      // the version bytes came from
    bool cached = false;            // bytes and stamp describe a version of the file
    bool recent = false;            // that version was young enough to hide a same-stamp rewrite
    bool readable = true;           // false: something is at the path that cannot be read
    std::uint64_t parses = 0;
    int batchDepth = 0;
    std::vector<PendingWrite> batch;

    // Brings the copy in memory up to the file. True when the document was parsed anew, which
    // drops the writes of an open batch from it.
    bool Refresh();
    // Writes the file with these writes applied to what it holds now; `applied` tells that the
    // document already carries them.
    bool Replace(const std::vector<PendingWrite>& writes, bool applied);
    bool Write(std::string_view section, std::string_view key, std::string_view value);
};

bool SettingsFile::State::Refresh() {
    if (cached && !recent && platform::StatFile(path) == stamp) return false;
    const std::int64_t readAt = platform::WallClockNs();
    std::string read;
    const platform::FileRead result =
        platform::ReadRegularFile(path, kMaxFileBytes, read, stamp);
    readable = result != platform::FileRead::kUnreadable;
    // A rewrite within the same stamp tick as the version read would go unseen by the stamp
    // alone; until the tick is surely over, the bytes are compared as well.
    recent = result == platform::FileRead::kOk && readAt - stamp.mtimeNs < kRecentWriteNs;
    const bool same = cached && read == bytes;
    cached = true;
    if (same) return false;
    bytes = std::move(read);
    document.Parse(bytes);
    ++parses;
    return true;
}

bool SettingsFile::State::Replace(const std::vector<PendingWrite>& writes, bool applied) {
    if (Refresh() || !applied)
        for (const PendingWrite& write : writes) document.Set(write.section, write.key, write.value);
    if (!readable) {
        cached = false;  // the next read parses the file again, without these writes
        return false;
    }
    std::string serialized = document.Serialize();
    if (serialized == bytes && stamp.kind == platform::FileKind::kRegular) return true;
    platform::FileStamp written;
    if (!platform::ReplaceFileAtomically(path, serialized, written)) {
        cached = false;
        return false;
    }
    bytes = std::move(serialized);
    stamp = written;
    recent = true;
    return true;
}

bool SettingsFile::State::Write(std::string_view section, std::string_view key,
                                std::string_view value) {
    if (!SettingsDocument::IsValidSectionName(section) || !SettingsDocument::IsValidKeyName(key) ||
        !SettingsDocument::IsValidValue(value))
        return false;
    PendingWrite write{std::string(section), std::string(key), std::string(value)};
    if (batchDepth > 0) {
        document.Set(section, key, value);
        batch.push_back(std::move(write));
        return true;
    }
    return Replace({std::move(write)}, false);
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
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return state_->Write(section, key, text);
}

bool SettingsFile::WriteText(std::string_view section, std::string_view key,
                             std::string_view text) {
    return state_->Write(section, key, text);
}

void SettingsFile::BeginBatch() {
    if (state_->batchDepth++ == 0) {
        state_->batch.clear();
        state_->Refresh();
    }
}

bool SettingsFile::CommitBatch() {
    State& state = *state_;
    if (state.batchDepth == 0 || --state.batchDepth > 0) return true;
    std::vector<PendingWrite> writes = std::move(state.batch);
    state.batch.clear();
    return writes.empty() || state.Replace(writes, true);
}

std::uint64_t SettingsFile::ParseCount() const { return state_->parses; }
