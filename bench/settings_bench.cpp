// Loading and saving long device lists through the settings file, as the main window does when
// it opens (load) and after an Add or Remove (save). Each load starts from a new SettingsFile,
// so it reads and parses the whole file; each save really replaces the file on disk (write,
// fsync, rename).
#include <unistd.h>

#include <string>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "bench/bench_support.h"
#include "tests/support/temp_folder.h"

namespace {

// Addresses x.y.z.200 (the first three numbers vary), each device with a MAC of its own.
app::DeviceList MakeList(std::size_t count) {
    return bench::DeviceListOf(count, [](std::size_t n) {
        return std::to_string(n & 0xFF) + "." + std::to_string(n >> 8 & 0xFF) + "." +
               std::to_string(n >> 16 & 0xFF) + ".200";
    });
}

// A settings file in `folder` holding a list of `count` devices.
std::string WriteList(benchmark::State& state, const test_support::TempFolder& folder,
                      std::size_t count) {
    const std::string path = folder.File("vantrel-panel.ini");
    app::SettingsFile settings(path);
    if (!app::SaveDeviceList(settings, MakeList(count)))
        state.SkipWithError("cannot write the list");
    return path;
}

void BM_LoadDeviceList(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const test_support::TempFolder folder("vantrel-bench");
    const std::string path = WriteList(state, folder, count);
    for (auto _ : state) {
        app::SettingsFile settings(path);
        app::DeviceList list;
        app::LoadDeviceList(settings, list);
        if (list.size() != count) state.SkipWithError("wrong number of devices loaded");
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

// Saving as the panel does after Add and Remove: the list was loaded from the file, and each
// save changes "Total" and the last device's keys, so the file is really replaced each time.
void BM_SaveDeviceList(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const test_support::TempFolder folder("vantrel-bench");
    app::SettingsFile settings(WriteList(state, folder, count));
    app::DeviceList list;
    app::LoadDeviceList(settings, list);
    std::uint32_t added = 0;
    for (auto _ : state) {
        if (list.size() == count) {
            auto record = std::make_unique<app::DeviceRecord>();
            record->address = ++added;  // a new address each time, so the last keys change too
            record->mac = "00:AA:BB:CC:DD:EE";
            app::AppendDevice(list, std::move(record));
        } else {
            app::RemoveDeviceAt(list, list.size() - 1);
        }
        if (!app::SaveDeviceList(settings, list)) state.SkipWithError("cannot write the list");
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

// The first save into a file without a list: every key is added.
void BM_SaveDeviceListIntoNewFile(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    test_support::TempFolder folder("vantrel-bench");
    const std::string path = folder.File("vantrel-panel.ini");
    const app::DeviceList list = MakeList(count);
    for (auto _ : state) {
        state.PauseTiming();
        unlink(path.c_str());
        app::SettingsFile settings(path);
        state.ResumeTiming();
        if (!app::SaveDeviceList(settings, list)) state.SkipWithError("cannot write the list");
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

BENCHMARK(BM_LoadDeviceList)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDeviceList)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDeviceListIntoNewFile)
    ->Arg(1000)
    ->Arg(4096)
    ->Arg(16384)
    ->Arg(65536)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
