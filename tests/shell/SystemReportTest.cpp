#include "shell/SystemReport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvella {
namespace {

MachineFacts sampleFacts() {
    MachineFacts facts;
    facts.totalPhysical = 8ull << 30;
    facts.availablePhysical = 2ull << 30;
    facts.totalPageFile = 1ull << 30;
    facts.availablePageFile = 512ull << 20;
    facts.os = MachineFacts::OsVersion{6, 1, 0, "Linux"};
    facts.processorArchitecture = 9;
    facts.pageSize = 4096;
    facts.allocationGranularity = 4096;
    facts.lowestAddress = 0x10000;
    facts.highestAddress = 0x7FFFFFFFEFFF;
    facts.processorCount = 2;
    facts.activeProcessorMask = 3;
    facts.processorType = 8664;
    facts.processorLevel = 6;
    facts.processorRevision = 0x5507;
    facts.capabilities = capabilitiesFromMask(0x1);
    facts.modules = {{0xFFFFFFFFC0A00000ull, "ext4"}};
    return facts;
}

TEST(SystemReport, LinesInOrderWithTheirFormats) {
    std::vector<std::string> expected = {
        " Memory Load: 75%",
        " Total Physical 8192 Mb",
        " Free Memory 2048.000 Mb",
        " Page File 1024 Mb",
        " Available Page File 512 Mb",
        "",
        " OS: ver 6.1 Build 0 Platform ID: Linux",
        "",
        " ProcessorArchitecture:9",
        " 4 Kb page size",
        " Lowest memory address accessible to applications and DLL - 00010000",
        " Highest memory address accessible to applications and DLL - 7FFFFFFFEFFF",
        " OEMID:0",
        " ActiveProcessorMask:3",
        " 2 - number of processors",
        " ProcessorType:8664",
        " Processor level 6",
        " 4 Kb - granularity with which virtual memory is allocated",
        " ProcessorRevision:21767",
        "",
        "   cap_chown\tMake arbitrary changes to file owners and groups",
        "",
        "  Driver Address: $FFFFFFFFC0A00000Name: \"ext4\"",
        "",
    };
    EXPECT_EQ(systemReportLines(sampleFacts()), expected);
}

TEST(SystemReport, ProcessorLevelNamesAndCapabilityErrors) {
    struct Case {
        int level;
        const char* line;
    } levels[] = {{3, " Intel 80386 processor level"},
                  {4, " Intel 80486 processor level"},
                  {5, " Intel Pentium processor level"},
                  {8, " Intel Pentium 4 processor level"},
                  {15, " Processor level 15"}};
    for (const auto& c : levels) {
        MachineFacts facts = sampleFacts();
        facts.processorLevel = c.level;
        auto lines = systemReportLines(facts);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.level;
    }
    MachineFacts facts = sampleFacts();
    facts.capabilities.clear();
    facts.capabilitiesRead = MachineFacts::CapabilitiesRead::CannotOpen;
    auto lines = systemReportLines(facts);
    EXPECT_NE(std::find(lines.begin(), lines.end(), " OpenProcessToken error"), lines.end());
}

TEST(SystemReport, ParsesProcTexts) {
    EXPECT_EQ(meminfoBytes("MemTotal:       16318460 kB\nMemFree: 1 kB\n", "MemTotal"),
              16318460ull * 1024);
    EXPECT_EQ(meminfoBytes("MemTotal: 1 kB\n", "SwapTotal"), 0u);
    auto modules = modulesFromProcModules("nf_tables 348160 0 - Live 0xffffffffc0b00000\nbad "
                                          "line\nloop 32768 0 - Live 0x0000000000000000\n");
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].name, "nf_tables");
    EXPECT_EQ(modules[0].address, 0xffffffffc0b00000ull);
    auto capabilities = capabilitiesFromMask((1ull << 21) | (1ull << 63));
    ASSERT_EQ(capabilities.size(), 2u);
    EXPECT_EQ(capabilities[0].name, "cap_sys_admin");
    EXPECT_EQ(capabilities[1].name, "cap_63");
    auto os = osVersionFromRelease("Linux", "6.1.0-18-amd64");
    ASSERT_TRUE(os);
    EXPECT_EQ(os->major, 6);
    EXPECT_EQ(os->minor, 1);
    EXPECT_FALSE(osVersionFromRelease("Linux", "weird"));
}

TEST(SystemReport, ThisMachineGivesAPlausibleReport) {
    MachineFacts facts = readMachineFacts();
    EXPECT_GT(facts.totalPhysical, 0u);
    EXPECT_GT(facts.processorCount, 0);
    EXPECT_EQ(facts.pageSize % 1024, 0);
    auto lines = systemReportLines(facts);
    EXPECT_EQ(lines.front().rfind(" Memory Load: ", 0), 0u);
}

} // namespace
} // namespace orvella
