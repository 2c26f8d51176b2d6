#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvella::test {

// The eight agencies, in the order the reader starts them.
extern const std::vector<std::string> AgencyNames;

// tests/stats/agency_server.py on a free port of 127.0.0.1, playing every
// agency's site under /<agency>/; stopped when the object goes.
class AgencyServer {
public:
    AgencyServer(const std::filesystem::path& folder, const QStringList& options);
    ~AgencyServer();
    int port() const { return port_; }
    // The base address of one agency's site, for the "Agencies" settings.
    std::string base(const std::string& agency) const;
    // The fields posted to each agency's login form, the last post winning.
    std::map<std::string, QJsonObject> posts() const;

private:
    QProcess process_;
    std::filesystem::path posts_;
    int port_ = 0;
};

} // namespace orvella::test
