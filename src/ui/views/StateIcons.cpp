#include "ui/views/StateIcons.h"

#include "upload/SubmissionStates.h"

#include <QtGlobal>

// The resources live in a static library: they are registered by hand.
static void registerStateResources() {
    Q_INIT_RESOURCE(states);
}

namespace orvella {

const std::vector<QPixmap>& StateIcons::all() {
    static const std::vector<QPixmap> icons = [] {
        registerStateResources();
        std::vector<QPixmap> loaded;
        for (const char* name : {"ready-to-upload", "pending", "upload-failed", "rejected",
                                 "accepted", "resubmit", "donated"})
            loaded.emplace_back(QString(":/states/%1.png").arg(name));
        return loaded;
    }();
    return icons;
}

QPixmap StateIcons::forStateName(const QString& name) {
    std::optional<int> code = StateCodeOfName(name.toStdString());
    if (!code || *code == 0 || StateNames()[static_cast<size_t>(*code)] != name.toStdString())
        return {};
    return all().at(static_cast<size_t>(*code - 1));
}

} // namespace orvella
