#include "contacts/port_layer/PortMapping.h"

#include <algorithm>
#include <cstdlib>

namespace vandoret {

namespace {

// The device number of "<prefix><digits>", or -1 when the name is not of that form.
long DeviceNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.size() > prefix.size() + 6) {
        return -1;
    }
    long value = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return -1;
        }
        value = value * 10 + (name[i] - '0');
    }
    return value;
}

} // namespace

std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& devEntries) {
    std::vector<std::string> ordered;
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::pair<long, std::string>> group;
        for (const std::string& entry : devEntries) {
            const long number = DeviceNumber(entry, prefix);
            if (number >= 0) {
                group.emplace_back(number, entry);
            }
        }
        std::sort(group.begin(), group.end());
        group.erase(std::unique(group.begin(), group.end()), group.end());
        for (const auto& [number, entry] : group) {
            ordered.push_back("/dev/" + entry);
        }
    }
    return ordered;
}

std::string MapPortNumber(int port, const std::vector<std::string>& orderedDevices,
                          const std::function<const char*(const char*)>& lookup) {
    if (port < 1 || port > kMaxPortNumber) {
        return {};
    }
    const std::string variable = "VANDORET_COM" + std::to_string(port);
    if (lookup) {
        const char* value = lookup(variable.c_str());
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    const auto index = static_cast<std::size_t>(port - 1);
    return index < orderedDevices.size() ? orderedDevices[index] : std::string();
}

std::vector<std::string> BuildPortTable(const std::vector<std::string>& orderedDevices,
                                        const std::function<const char*(const char*)>& lookup) {
    std::vector<std::string> table;
    table.reserve(kMaxPortNumber);
    for (int port = 1; port <= kMaxPortNumber; ++port) {
        table.push_back(MapPortNumber(port, orderedDevices, lookup));
    }
    return table;
}

std::string PortTableDevice(const std::vector<std::string>& table, int port) {
    if (port < 1 || static_cast<std::size_t>(port) > table.size()) {
        return {};
    }
    return table[static_cast<std::size_t>(port - 1)];
}

} // namespace vandoret
