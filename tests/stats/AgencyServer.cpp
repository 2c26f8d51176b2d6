#include "stats/AgencyServer.h"

#include <QJsonDocument>
#include <QThread>

#include <fstream>

namespace orvella::test {

const std::vector<std::string> AgencyNames = {"Shutterstock",  "iStockphoto", "Dreamstime",
                                              "Fotolia",       "123RF",       "LuckyOliver",
                                              "CanStockPhoto", "Albumo"};

AgencyServer::AgencyServer(const std::filesystem::path& folder, const QStringList& options)
    : posts_(folder / "posts.jsonl") {
    auto portFile = folder / "port";
    process_.start("python3", QStringList{ORVELLA_SOURCE_DIR "/tests/stats/agency_server.py",
                                          QString::fromStdString(portFile.string()),
                                          QString::fromStdString(posts_.string())} +
                                  options);
    for (int i = 0; i < 200 && !std::filesystem::exists(portFile); ++i)
        QThread::msleep(50);
    std::ifstream(portFile) >> port_;
}

AgencyServer::~AgencyServer() {
    process_.kill();
    process_.waitForFinished();
}

std::string AgencyServer::base(const std::string& agency) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + agency;
}

std::map<std::string, QJsonObject> AgencyServer::posts() const {
    std::map<std::string, QJsonObject> byAgency;
    std::ifstream in(posts_);
    for (std::string line; std::getline(in, line);) {
        QJsonObject post = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        byAgency[post["agency"].toString().toStdString()] = post["fields"].toObject();
    }
    return byAgency;
}

} // namespace orvella::test
