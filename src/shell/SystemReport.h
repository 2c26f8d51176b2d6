#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvella {

// Facts about the machine for the -log report, gathered from /proc, uname and
// sysconf. Kept apart from the formatting so each can be checked alone.
struct MachineFacts {
    uint64_t totalPhysical = 0; // bytes
    uint64_t availablePhysical = 0;
    uint64_t totalPageFile = 0; // swap
    uint64_t availablePageFile = 0;

    struct OsVersion {
        int major = 0;
        int minor = 0;
        int build = 0;
        std::string platform;
    };
    std::optional<OsVersion> os;

    int processorArchitecture = 0;
    long pageSize = 0;
    uint64_t lowestAddress = 0;
    uint64_t highestAddress = 0;
    int oemId = 0;
    uint64_t activeProcessorMask = 0;
    int processorCount = 0;
    int processorType = 0;
    int processorLevel = 0;
    long allocationGranularity = 0;
    int processorRevision = 0;

    enum class CapabilitiesRead { Ok, CannotOpen, CannotRead };
    CapabilitiesRead capabilitiesRead = CapabilitiesRead::Ok;
    struct Capability {
        std::string name;
        std::string displayName;
    };
    std::vector<Capability> capabilities;

    struct Module {
        uint64_t address = 0;
        std::string name;
    };
    std::vector<Module> modules;
};

MachineFacts readMachineFacts();
std::vector<std::string> systemReportLines(const MachineFacts& facts);

// Parsers of the /proc texts, exposed for tests.
uint64_t meminfoBytes(const std::string& meminfo, const std::string& field);
std::vector<MachineFacts::Capability> capabilitiesFromMask(uint64_t mask);
std::vector<MachineFacts::Module> modulesFromProcModules(const std::string& text);
std::optional<MachineFacts::OsVersion> osVersionFromRelease(const std::string& sysname,
                                                            const std::string& release);

} // namespace orvella
