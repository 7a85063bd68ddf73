// The PSAPI process listing over the fake system: the module list of each
// process opened directly by its identifier, against the earlier way of
// listing and opening every process again to find it. Reports the opens per
// fill besides the time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "processes/TaskManager.h"
#include "tests/support/FakeProcessSystem.h"

namespace {

// The earlier module-list fill, kept here only as the measure: it lists the
// processes again and opens each one, n opens per process over n processes.
class CBaselineRelistingPsapiHandler final : public CPsapiHandler {
public:
    using CPsapiHandler::CPsapiHandler;

    int FillModuleList(CModuleInstance* pProcess) override {
        CExeModuleInstance* pExe = dynamic_cast<CExeModuleInstance*>(pProcess);
        if (pExe == nullptr || LoadFunctions() != 1) return 0;
        std::uint32_t adwProcessIds[kMaxEntries];
        std::uint32_t cbReturned = 0;
        if (!m_pfnEnumProcesses(adwProcessIds, sizeof(adwProcessIds), &cbReturned)) return 0;
        const std::size_t nProcesses = std::min<std::size_t>(cbReturned, sizeof(adwProcessIds)) / 4;
        for (std::size_t i = 0; i < nProcesses; ++i) {
            CScopedSystemHandle process(
                m_loader, m_loader.OpenProcessById(kProcessQueryAndRead, false, adwProcessIds[i]));
            if (process.IsValid() && adwProcessIds[i] == pExe->m_dwProcessId)
                AddModulesOf(process.Get(), pExe);
        }
        return 1;
    }
};

void AddProcesses(CFakeProcessSystem& fake, int nProcesses) {
    for (int i = 0; i < nProcesses; ++i) {
        const std::string strDir = "C:\\Programs\\App" + std::to_string(i) + "\\";
        fake.AddProcess(static_cast<std::uint32_t>(8 + 4 * i), strDir + "app.exe",
                        {"C:\\WINDOWS\\system32\\ntdll.dll", "C:\\WINDOWS\\system32\\kernel32.dll",
                         "C:\\WINDOWS\\system32\\user32.dll", strDir + "helper.dll"});
    }
}

/// Every process with its modules, names and handles, as one text.
std::string Describe(const CRunningProcesses& processes) {
    std::string str;
    for (const CModuleInstance* pEntry : processes) {
        str += std::to_string(static_cast<const CExeModuleInstance*>(pEntry)->m_dwProcessId) + " " +
               pEntry->m_pszName + ":";
        if (pEntry->m_pModuleList != nullptr)
            for (const CModuleInstance* pModule : *pEntry->m_pModuleList)
                str += " " + std::string(pModule->m_pszName) + "@" +
                       std::to_string(reinterpret_cast<std::uintptr_t>(pModule->m_hModule));
        str += "\n";
    }
    return str;
}

template <typename Handler>
std::string FillOnce(CFakeProcessSystem& fake) {
    CRunningProcesses processes;
    Handler handler(&processes, fake);
    handler.FillProcessList();
    return Describe(processes);
}

template <typename Handler>
void BM_PsapiFillProcessList(benchmark::State& state) {
    CFakeProcessSystem fake;
    const int nProcesses = static_cast<int>(state.range(0));
    AddProcesses(fake, nProcesses);
    // Both ways must give the same list, or the comparison means nothing.
    if (FillOnce<Handler>(fake) != FillOnce<CBaselineRelistingPsapiHandler>(fake)) {
        state.SkipWithError("the module lists differ from the baseline");
        return;
    }
    fake.ResetCounters();
    for (auto _ : state) {
        CRunningProcesses processes;
        Handler handler(&processes, fake);
        benchmark::DoNotOptimize(handler.FillProcessList());
        benchmark::DoNotOptimize(processes.GetCount());
    }
    state.counters["processes"] = nProcesses;
    state.counters["opens"] = benchmark::Counter(fake.m_nOpenCalls, benchmark::Counter::kAvgIterations);
    state.counters["listings"] =
        benchmark::Counter(fake.m_nEnumProcessesCalls, benchmark::Counter::kAvgIterations);
    if (fake.OpenHandles() != 0 || fake.m_nMisuses != 0) state.SkipWithError("handles left open or misused");
}

BENCHMARK_TEMPLATE(BM_PsapiFillProcessList, CPsapiHandler)
    ->Name("PsapiFillProcessList/direct_open")
    ->Arg(50)
    ->Arg(200)
    ->Arg(800)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_PsapiFillProcessList, CBaselineRelistingPsapiHandler)
    ->Name("PsapiFillProcessList/baseline_relisting")
    ->Arg(50)
    ->Arg(200)
    ->Arg(800)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
