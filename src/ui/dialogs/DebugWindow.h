#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class QLineEdit;
class QListWidget;

namespace orvella {

class TStockDBObject;

// The debug window of debug mode: the identifiers of the image selected in
// the main window, and a way to drop its catalogue record.
class TfrmDebug : public QWidget {
    Q_OBJECT
public:
    explicit TfrmDebug(TStockDBObject& db, QWidget* parent = nullptr);

    // Fills the boxes for one image; "Last Query" is read before the window's
    // own lookups change it.
    void ShowImage(const std::string& key, const std::string& fileName, const std::string& folder,
                   const std::string& fullPath, int64_t size);
    // Deletes the catalogue record of the key in the "MD5" box.
    void DeleteImage();

private:
    QLineEdit* field(const char* name, const char* caption);

    TStockDBObject& db_;
    QLineEdit* edMD5 = nullptr;
    QLineEdit* edFileName = nullptr;
    QLineEdit* edFilePath = nullptr;
    QLineEdit* edFullPath = nullptr;
    QLineEdit* edSize = nullptr;
    QLineEdit* edLastQuery = nullptr;
    QLineEdit* edDBPath = nullptr;
    QListWidget* lbStates = nullptr;
};

} // namespace orvella
