#pragma once

#include "catalogue/FileRecords.h"

#include <QAbstractListModel>
#include <QPixmap>
#include <QString>
#include <functional>
#include <vector>

namespace orvella {

// One file shown in an image list.
struct ImageListItem {
    QString caption;
    int imageIndex = -1; // picture in the list's image list
    QString pictureFile; // else a preview cache file, read when first shown
    TImageData data;
    bool checked = true;
};

// The content of an image list: groups of items, each group shown as a
// caption line followed by its thumbnails, and the pictures of the items
// (the image list), kept apart so indexes match the files' positions.
class ImageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum class SortKey { Name, Date, Size, Type };
    static constexpr int kIsGroupRole = Qt::UserRole + 1;

    explicit ImageListModel(QObject* parent = nullptr);

    void clear();         // groups and items
    void clearPictures(); // the image list
    int addGroup(const QString& caption);
    void setGroupCaption(int group, const QString& caption);
    int groupCount() const { return static_cast<int>(groups_.size()); }
    QString groupCaption(int group) const { return groups_.at(group).caption; }
    int itemCount(int group) const { return static_cast<int>(groups_.at(group).items.size()); }
    const ImageListItem& item(int group, int index) const {
        return groups_.at(group).items.at(index);
    }
    // Appends an item to a group; returns its row.
    int addItem(int group, ImageListItem item);
    // Appends items to a group at once; returns the row of the first.
    int addItems(int group, std::vector<ImageListItem> items);
    // The row of a group's caption line and of one of its items.
    int groupRow(int group) const;
    int itemRow(int group, int item) const { return groupRow(group) + 1 + item; }
    // Appends a picture to the image list; returns its index. A picture is
    // added before the item that shows it.
    int addPicture(const QPixmap& picture);
    int pictureCount() const { return static_cast<int>(pictures_.size()); }

    void setCheckBoxes(bool shown);
    bool checkBoxes() const { return checkBoxes_; }
    void sort(SortKey key, bool reversed);

    // Renames an item's file to the caption typed in place; true when done,
    // the file's data then naming the new file.
    using Renamer = std::function<bool(TImageData& file, const QString& newName)>;
    // With a renamer the items' captions can be edited; a new caption is
    // kept only when the renamer renamed the file.
    void setRenamer(Renamer renamer) { renamer_ = std::move(renamer); }

    // The list a drag comes from, named in the data it carries, so a drop
    // tells the program's own lists from a file manager; "origin" is the
    // list's name.
    void setDragOrigin(const QString& origin) { dragOrigin_ = origin; }
    // The name of the list of this program that dragged the data; empty for
    // data from elsewhere (a file manager, another copy of the program).
    static QString DragOrigin(const QMimeData* data);

    // The item of a row, or none for a group caption.
    const ImageListItem* itemAt(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Dragged items carry their files as "text/uri-list", which file
    // managers and browsers' upload forms take; outside Orvella they are
    // offered as a copy.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

signals:
    // An item now names the file it was renamed to.
    void itemRenamed(const QModelIndex& index);

private:
    struct Group {
        QString caption;
        std::vector<ImageListItem> items;
    };
    struct Row {
        int group;
        int item; // -1 for the group's caption line
    };

    void rebuildRows();
    bool renameItem(const QModelIndex& index, const QString& newName);
    Qt::CheckState groupCheckState(int group) const;

    std::vector<Group> groups_;
    std::vector<Row> rows_;
    std::vector<QPixmap> pictures_;
    bool checkBoxes_ = false;
    Renamer renamer_;
    QString dragOrigin_;
};

} // namespace orvella
