#include "tests/win/support/AdapterFakes.h"

namespace vek::testing {
namespace {

ULONG NeededSize() {
    ULONG size = 0;
    for (const FakeAdapter& adapter : ScriptedAdapters().adapters) {
        size += sizeof(IP_ADAPTER_INFO);
        if (adapter.addresses.size() > 1) {
            size += static_cast<ULONG>((adapter.addresses.size() - 1) * sizeof(IP_ADDR_STRING));
        }
    }
    return size == 0 ? sizeof(IP_ADAPTER_INFO) : size;
}

// Lays the records out as the system does: adapters first, extra address entries after them.
void FillRecords(PIP_ADAPTER_INFO buffer) {
    const auto& adapters = ScriptedAdapters().adapters;
    auto* extra = reinterpret_cast<IP_ADDR_STRING*>(buffer + adapters.size());
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        IP_ADAPTER_INFO& record = buffer[i];
        record.Next = i + 1 < adapters.size() ? &buffer[i + 1] : nullptr;
        adapters[i].description.copy(record.Description, sizeof record.Description - 1);
        IP_ADDR_STRING* entry = &record.IpAddressList;
        for (std::size_t a = 0; a < adapters[i].addresses.size(); ++a) {
            adapters[i].addresses[a].copy(entry->IpAddress.String,
                                          sizeof entry->IpAddress.String - 1);
            entry->Next = a + 1 < adapters[i].addresses.size() ? extra : nullptr;
            if (entry->Next != nullptr) {
                entry = extra++;
            }
        }
    }
}

} // namespace

AdapterScript& ScriptedAdapters() {
    static AdapterScript script;
    return script;
}

ULONG WINAPI ScriptedGetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size) {
    AdapterScript& script = ScriptedAdapters();
    const ULONG needed = NeededSize();
    ULONG answer;
    if (!script.answers.empty()) {
        answer = script.answers.front();
        script.answers.pop_front();
    } else if (script.adapters.empty()) {
        answer = ERROR_NO_DATA;
    } else {
        answer = info == nullptr || *size < needed ? ERROR_BUFFER_OVERFLOW : NO_ERROR;
    }
    if (answer == ERROR_BUFFER_OVERFLOW) {
        *size = needed;
    } else if (answer == NO_ERROR && info != nullptr && *size >= needed) {
        FillRecords(info);
    }
    return answer;
}

} // namespace vek::testing
