#include "shell/SystemReport.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace orvella {

namespace {

std::optional<std::string> readTextFile(const char* path) {
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value of a "key : value" line of /proc/cpuinfo or "Key:\tvalue" of /proc/self/status.
std::optional<std::string> fieldValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.pop_back();
        if (name == key) {
            size_t start = line.find_first_not_of(" \t", colon + 1);
            return start == std::string::npos ? "" : line.substr(start);
        }
    }
    return std::nullopt;
}

int intField(const std::string& text, const std::string& key) {
    auto value = fieldValue(text, key);
    return value ? std::atoi(value->c_str()) : 0;
}

struct ArchitectureNumbers {
    int architecture;  // PROCESSOR_ARCHITECTURE_* numbering
    int processorType; // PROCESSOR_* numbering
    uint64_t highestAddress;
};

ArchitectureNumbers architectureNumbers(const std::string& machine) {
    if (machine == "x86_64")
        return {9, 8664, 0x7FFFFFFFEFFFull};
    if (machine == "aarch64")
        return {12, 0, 0xFFFFFFFFFFFFull};
    if (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86")
        return {0, 586, 0xBFFFFFFFull};
    if (machine.rfind("arm", 0) == 0)
        return {5, 0, 0xBFFFFFFFull};
    return {0xFFFF, 0, UINTPTR_MAX >> 1};
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string hexAddress(uint64_t address) {
    char text[32];
    std::snprintf(text, sizeof text, "%08" PRIX64, address);
    return text;
}

double megabytes(uint64_t bytes) {
    return static_cast<double>(bytes >> 10) / 1024.0;
}

void readMemory(MachineFacts& facts) {
    std::string meminfo = readTextFile("/proc/meminfo").value_or("");
    facts.totalPhysical = meminfoBytes(meminfo, "MemTotal");
    facts.availablePhysical = meminfoBytes(meminfo, "MemAvailable");
    facts.totalPageFile = meminfoBytes(meminfo, "SwapTotal");
    facts.availablePageFile = meminfoBytes(meminfo, "SwapFree");
}

void readProcessor(MachineFacts& facts, const std::string& machine) {
    ArchitectureNumbers numbers = architectureNumbers(machine);
    facts.processorArchitecture = numbers.architecture;
    facts.oemId = numbers.architecture;
    facts.processorType = numbers.processorType;
    facts.highestAddress = numbers.highestAddress;
    facts.pageSize = sysconf(_SC_PAGESIZE);
    facts.allocationGranularity = facts.pageSize;
    facts.processorCount = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    auto minAddress = readTextFile("/proc/sys/vm/mmap_min_addr");
    facts.lowestAddress = minAddress ? std::strtoull(minAddress->c_str(), nullptr, 10) : 0;

    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        for (int cpu = 0; cpu < 64; ++cpu)
            if (CPU_ISSET(cpu, &set))
                facts.activeProcessorMask |= uint64_t{1} << cpu;

    std::string cpuinfo = readTextFile("/proc/cpuinfo").value_or("");
    facts.processorLevel = intField(cpuinfo, "cpu family");
    facts.processorRevision = (intField(cpuinfo, "model") << 8) | intField(cpuinfo, "stepping");
}

void readCapabilities(MachineFacts& facts) {
    auto status = readTextFile("/proc/self/status");
    if (!status) {
        facts.capabilitiesRead = MachineFacts::CapabilitiesRead::CannotOpen;
        return;
    }
    auto effective = fieldValue(*status, "CapEff");
    if (!effective) {
        facts.capabilitiesRead = MachineFacts::CapabilitiesRead::CannotRead;
        return;
    }
    facts.capabilities = capabilitiesFromMask(std::strtoull(effective->c_str(), nullptr, 16));
}

struct CapabilityName {
    const char* name;
    const char* displayName;
};

// Indexed by capability number, as in <linux/capability.h>.
const CapabilityName kCapabilityNames[] = {
    {"cap_chown", "Make arbitrary changes to file owners and groups"},
    {"cap_dac_override", "Bypass file read, write and execute permission checks"},
    {"cap_dac_read_search", "Bypass file read and directory search permission checks"},
    {"cap_fowner", "Bypass permission checks on operations that require the file owner"},
    {"cap_fsetid", "Keep set-user-ID and set-group-ID bits when a file is modified"},
    {"cap_kill", "Send signals to any process"},
    {"cap_setgid", "Change process group IDs"},
    {"cap_setuid", "Change process user IDs"},
    {"cap_setpcap", "Change process capabilities"},
    {"cap_linux_immutable", "Set the immutable and append-only file flags"},
    {"cap_net_bind_service", "Bind sockets to privileged ports"},
    {"cap_net_broadcast", "Broadcast and listen to multicast"},
    {"cap_net_admin", "Perform network administration"},
    {"cap_net_raw", "Use raw and packet sockets"},
    {"cap_ipc_lock", "Lock memory"},
    {"cap_ipc_owner", "Bypass permission checks on System V IPC objects"},
    {"cap_sys_module", "Load and unload kernel modules"},
    {"cap_sys_rawio", "Perform raw I/O port operations"},
    {"cap_sys_chroot", "Change the root directory"},
    {"cap_sys_ptrace", "Trace and inspect any process"},
    {"cap_sys_pacct", "Switch process accounting on and off"},
    {"cap_sys_admin", "Perform system administration"},
    {"cap_sys_boot", "Reboot the system"},
    {"cap_sys_nice", "Raise process priorities"},
    {"cap_sys_resource", "Override resource limits"},
    {"cap_sys_time", "Set the system clock"},
    {"cap_sys_tty_config", "Configure terminal devices"},
    {"cap_mknod", "Create special files"},
    {"cap_lease", "Take leases on arbitrary files"},
    {"cap_audit_write", "Write records to the kernel audit log"},
    {"cap_audit_control", "Configure kernel auditing"},
    {"cap_setfcap", "Set file capabilities"},
    {"cap_mac_override", "Override mandatory access control"},
    {"cap_mac_admin", "Configure mandatory access control"},
    {"cap_syslog", "Perform privileged kernel log operations"},
    {"cap_wake_alarm", "Trigger events that wake the system"},
    {"cap_block_suspend", "Block system suspend"},
    {"cap_audit_read", "Read the kernel audit log"},
    {"cap_perfmon", "Use performance monitoring"},
    {"cap_bpf", "Use BPF operations"},
    {"cap_checkpoint_restore", "Checkpoint and restore processes"},
};

void addCapabilityLines(const MachineFacts& facts, std::vector<std::string>& lines) {
    using Read = MachineFacts::CapabilitiesRead;
    if (facts.capabilitiesRead == Read::CannotOpen)
        lines.push_back(" OpenProcessToken error");
    else if (facts.capabilitiesRead == Read::CannotRead)
        lines.push_back(" GetTokenInformation error");
    for (const auto& capability : facts.capabilities)
        lines.push_back("   " + capability.name + "\t" + capability.displayName);
    lines.push_back("");
}

std::string processorLevelLine(int level) {
    switch (level) {
    case 3:
        return " Intel 80386 processor level";
    case 4:
        return " Intel 80486 processor level";
    case 5:
        return " Intel Pentium processor level";
    case 8:
        return " Intel Pentium 4 processor level";
    default:
        return " Processor level " + std::to_string(level);
    }
}

void addMemoryLines(const MachineFacts& facts, std::vector<std::string>& lines) {
    uint64_t used = facts.totalPhysical - std::min(facts.availablePhysical, facts.totalPhysical);
    uint64_t load = facts.totalPhysical ? used * 100 / facts.totalPhysical : 0;
    lines.push_back(" Memory Load: " + std::to_string(load) + "%");
    lines.push_back(format(" Total Physical %0.0f Mb", megabytes(facts.totalPhysical)));
    lines.push_back(format(" Free Memory %0.3f Mb", megabytes(facts.availablePhysical)));
    lines.push_back(format(" Page File %0.0f Mb", megabytes(facts.totalPageFile)));
    lines.push_back(format(" Available Page File %0.0f Mb", megabytes(facts.availablePageFile)));
    lines.push_back("");
}

void addProcessorLines(const MachineFacts& facts, std::vector<std::string>& lines) {
    auto n = [](auto value) { return std::to_string(value); };
    lines.push_back(" ProcessorArchitecture:" + n(facts.processorArchitecture));
    lines.push_back(" " + n(facts.pageSize / 1024) + " Kb page size");
    lines.push_back(" Lowest memory address accessible to applications and DLL - " +
                    hexAddress(facts.lowestAddress));
    lines.push_back(" Highest memory address accessible to applications and DLL - " +
                    hexAddress(facts.highestAddress));
    lines.push_back(" OEMID:" + n(facts.oemId));
    lines.push_back(" ActiveProcessorMask:" + n(facts.activeProcessorMask));
    lines.push_back(" " + n(facts.processorCount) + " - number of processors");
    lines.push_back(" ProcessorType:" + n(facts.processorType));
    lines.push_back(processorLevelLine(facts.processorLevel));
    lines.push_back(" " + n(facts.allocationGranularity / 1024) +
                    " Kb - granularity with which virtual memory is allocated");
    lines.push_back(" ProcessorRevision:" + n(facts.processorRevision));
    lines.push_back("");
}

void addModuleLines(const MachineFacts& facts, std::vector<std::string>& lines) {
    for (const auto& module : facts.modules)
        lines.push_back("  Driver Address: $" + hexAddress(module.address) + "Name: \"" +
                        module.name.substr(0, 264) + "\"");
    lines.push_back("");
}

} // namespace

uint64_t meminfoBytes(const std::string& meminfo, const std::string& field) {
    auto value = fieldValue(meminfo, field);
    return value ? std::strtoull(value->c_str(), nullptr, 10) * 1024 : 0; // given in kB
}

std::vector<MachineFacts::Capability> capabilitiesFromMask(uint64_t mask) {
    std::vector<MachineFacts::Capability> capabilities;
    constexpr size_t known = sizeof kCapabilityNames / sizeof kCapabilityNames[0];
    for (size_t bit = 0; bit < 64; ++bit) {
        if (!(mask & (uint64_t{1} << bit)))
            continue;
        if (bit < known)
            capabilities.push_back({kCapabilityNames[bit].name, kCapabilityNames[bit].displayName});
        else
            capabilities.push_back(
                {"cap_" + std::to_string(bit), "Capability " + std::to_string(bit)});
    }
    return capabilities;
}

// Lines of /proc/modules: "name size refcount dependencies state address".
std::vector<MachineFacts::Module> modulesFromProcModules(const std::string& text) {
    std::vector<MachineFacts::Module> modules;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, size, references, dependencies, state, address;
        if (!(fields >> name >> size >> references >> dependencies >> state >> address))
            continue;
        modules.push_back({std::strtoull(address.c_str(), nullptr, 16), name});
    }
    return modules;
}

std::optional<MachineFacts::OsVersion> osVersionFromRelease(const std::string& sysname,
                                                            const std::string& release) {
    MachineFacts::OsVersion version;
    if (std::sscanf(release.c_str(), "%d.%d.%d", &version.major, &version.minor, &version.build) <
        2)
        return std::nullopt;
    version.platform = sysname;
    return version;
}

MachineFacts readMachineFacts() {
    MachineFacts facts;
    readMemory(facts);
    utsname names{};
    std::string machine;
    if (uname(&names) == 0) {
        facts.os = osVersionFromRelease(names.sysname, names.release);
        machine = names.machine;
    }
    readProcessor(facts, machine);
    readCapabilities(facts);
    facts.modules = modulesFromProcModules(readTextFile("/proc/modules").value_or(""));
    return facts;
}

std::vector<std::string> systemReportLines(const MachineFacts& facts) {
    std::vector<std::string> lines;
    addMemoryLines(facts, lines);
    if (facts.os) {
        lines.push_back(" OS: ver " + std::to_string(facts.os->major) + "." +
                        std::to_string(facts.os->minor) + " Build " +
                        std::to_string(facts.os->build) + " Platform ID: " + facts.os->platform);
        lines.push_back("");
    }
    addProcessorLines(facts, lines);
    addCapabilityLines(facts, lines);
    addModuleLines(facts, lines);
    return lines;
}

} // namespace orvella
