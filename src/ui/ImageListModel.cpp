#include "ui/ImageListModel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMimeData>
#include <QPixmapCache>
#include <QUrl>
#include <algorithm>
#include <filesystem>

namespace orvella {

namespace {

const char* const kDragOriginFormat = "application/x-orvella-drag-origin";

// The origin as dragged data carries it: the process and the list.
QByteArray originText(const QString& origin) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' + origin.toUtf8();
}

// A preview cache picture, read on first sight and kept in the pixmap cache,
// so a view of many images opens without reading every picture first.
QPixmap cachedPicture(const QString& file) {
    QPixmap picture;
    if (!QPixmapCache::find(file, &picture) && picture.load(file, "BMP"))
        QPixmapCache::insert(file, picture);
    return picture;
}

QString lowerExtension(const QString& caption) {
    return QFileInfo(caption).suffix().toLower();
}

// True when a sorts after b by the key; equal keys keep their order.
bool greaterByKey(const ImageListItem& a, const ImageListItem& b, ImageListModel::SortKey key) {
    using Key = ImageListModel::SortKey;
    switch (key) {
    case Key::Name:
        return QString::compare(a.caption, b.caption, Qt::CaseSensitive) > 0;
    case Key::Date:
        return a.data.ModifyDate > b.data.ModifyDate;
    case Key::Size:
        return a.data.FileSize > b.data.FileSize;
    case Key::Type:
        return lowerExtension(a.caption) > lowerExtension(b.caption);
    }
    return false;
}

} // namespace

ImageListModel::ImageListModel(QObject* parent) : QAbstractListModel(parent) {}

void ImageListModel::clear() {
    beginResetModel();
    groups_.clear();
    rows_.clear();
    endResetModel();
}

void ImageListModel::clearPictures() {
    pictures_.clear();
    if (!rows_.empty())
        emit dataChanged(index(0), index(static_cast<int>(rows_.size()) - 1), {Qt::DecorationRole});
}

int ImageListModel::addGroup(const QString& caption) {
    int row = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), row, row);
    groups_.push_back({caption, {}});
    rows_.push_back({static_cast<int>(groups_.size()) - 1, -1});
    endInsertRows();
    return static_cast<int>(groups_.size()) - 1;
}

void ImageListModel::setGroupCaption(int group, const QString& caption) {
    groups_.at(group).caption = caption;
    for (size_t row = 0; row < rows_.size(); ++row)
        if (rows_[row].group == group && rows_[row].item < 0)
            emit dataChanged(index(static_cast<int>(row)), index(static_cast<int>(row)));
}

int ImageListModel::addItem(int group, ImageListItem item) {
    // The new row follows the group's last row.
    int row = 0;
    for (int g = 0; g <= group; ++g)
        row += 1 + itemCount(g);
    beginInsertRows(QModelIndex(), row, row);
    groups_.at(group).items.push_back(std::move(item));
    rows_.insert(rows_.begin() + row, Row{group, itemCount(group) - 1});
    endInsertRows();
    return row;
}

int ImageListModel::addItems(int group, std::vector<ImageListItem> items) {
    int first = groupRow(group) + 1 + itemCount(group);
    if (items.empty())
        return first;
    int count = static_cast<int>(items.size());
    beginInsertRows(QModelIndex(), first, first + count - 1);
    std::vector<ImageListItem>& list = groups_.at(group).items;
    int start = static_cast<int>(list.size());
    list.insert(list.end(), std::make_move_iterator(items.begin()),
                std::make_move_iterator(items.end()));
    std::vector<Row> added;
    added.reserve(items.size());
    for (int i = 0; i < count; ++i)
        added.push_back({group, start + i});
    rows_.insert(rows_.begin() + first, added.begin(), added.end());
    endInsertRows();
    return first;
}

int ImageListModel::groupRow(int group) const {
    int row = 0;
    for (int g = 0; g < group; ++g)
        row += 1 + itemCount(g);
    return row;
}

int ImageListModel::addPicture(const QPixmap& picture) {
    pictures_.push_back(picture);
    return static_cast<int>(pictures_.size()) - 1;
}

void ImageListModel::setCheckBoxes(bool shown) {
    if (shown == checkBoxes_)
        return;
    beginResetModel();
    checkBoxes_ = shown;
    endResetModel();
}

void ImageListModel::sort(SortKey key, bool reversed) {
    emit layoutAboutToBeChanged();
    for (Group& group : groups_)
        std::stable_sort(group.items.begin(), group.items.end(),
                         [key, reversed](const ImageListItem& a, const ImageListItem& b) {
                             return reversed ? greaterByKey(a, b, key) : greaterByKey(b, a, key);
                         });
    rebuildRows();
    emit layoutChanged();
}

void ImageListModel::rebuildRows() {
    rows_.clear();
    for (int g = 0; g < groupCount(); ++g) {
        rows_.push_back({g, -1});
        for (int i = 0; i < itemCount(g); ++i)
            rows_.push_back({g, i});
    }
}

const ImageListItem* ImageListModel::itemAt(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return nullptr;
    const Row& row = rows_[static_cast<size_t>(index.row())];
    return row.item < 0
               ? nullptr
               : &groups_[static_cast<size_t>(row.group)].items[static_cast<size_t>(row.item)];
}

int ImageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

Qt::CheckState ImageListModel::groupCheckState(int group) const {
    const auto& items = groups_.at(group).items;
    auto checked =
        std::count_if(items.begin(), items.end(), [](const ImageListItem& i) { return i.checked; });
    if (items.empty() || checked == 0)
        return Qt::Unchecked;
    return checked == static_cast<long>(items.size()) ? Qt::Checked : Qt::PartiallyChecked;
}

QVariant ImageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const Row& row = rows_[static_cast<size_t>(index.row())];
    if (role == kIsGroupRole)
        return row.item < 0;
    if (row.item < 0) {
        const Group& group = groups_[static_cast<size_t>(row.group)];
        if (role == Qt::DisplayRole)
            return group.caption;
        if (role == Qt::CheckStateRole && checkBoxes_)
            return groupCheckState(row.group);
        return {};
    }
    const ImageListItem& item = *itemAt(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return item.caption;
    case Qt::ToolTipRole:
        return QString::fromStdString(item.data.FullName);
    case Qt::DecorationRole:
        if (item.imageIndex >= 0 && item.imageIndex < pictureCount())
            return pictures_[static_cast<size_t>(item.imageIndex)];
        if (!item.pictureFile.isEmpty())
            return cachedPicture(item.pictureFile);
        return {};
    case Qt::CheckStateRole:
        if (checkBoxes_)
            return item.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ImageListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role == Qt::EditRole)
        return renameItem(index, value.toString());
    if (role != Qt::CheckStateRole || !checkBoxes_ || !index.isValid())
        return false;
    const Row row = rows_[static_cast<size_t>(index.row())];
    bool checked = value.toInt() != Qt::Unchecked;
    if (row.item >= 0) {
        groups_[static_cast<size_t>(row.group)].items[static_cast<size_t>(row.item)].checked =
            checked;
    } else {
        for (ImageListItem& item : groups_[static_cast<size_t>(row.group)].items)
            item.checked = checked;
    }
    emit dataChanged(this->index(0), this->index(static_cast<int>(rows_.size()) - 1),
                     {Qt::CheckStateRole});
    return true;
}

bool ImageListModel::renameItem(const QModelIndex& index, const QString& newName) {
    const ImageListItem* shown = itemAt(index);
    if (!shown || !renamer_ || newName == shown->caption)
        return false;
    TImageData file = shown->data;
    if (!renamer_(file, newName))
        return false;
    const Row row = rows_[static_cast<size_t>(index.row())];
    ImageListItem& item =
        groups_[static_cast<size_t>(row.group)].items[static_cast<size_t>(row.item)];
    item.caption = newName;
    item.data = std::move(file);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
    emit itemRenamed(index);
    return true;
}

Qt::ItemFlags ImageListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (checkBoxes_)
        flags |= Qt::ItemIsUserCheckable;
    if (itemAt(index))
        flags |= Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (itemAt(index) && renamer_)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QStringList ImageListModel::mimeTypes() const {
    return {"text/uri-list"};
}

QMimeData* ImageListModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> files;
    for (const QModelIndex& index : indexes) {
        const ImageListItem* shown = itemAt(index);
        if (!shown)
            continue; // a group caption
        std::filesystem::path file =
            shown->data.FullName.empty()
                ? std::filesystem::path(shown->data.FilePath) / shown->data.FileName
                : std::filesystem::path(shown->data.FullName);
        QUrl url = QUrl::fromLocalFile(QString::fromStdString(file.string()));
        if (!files.contains(url))
            files.push_back(url);
    }
    if (files.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setUrls(files);
    if (!dragOrigin_.isEmpty())
        data->setData(kDragOriginFormat, originText(dragOrigin_));
    return data;
}

QString ImageListModel::DragOrigin(const QMimeData* data) {
    if (!data || !data->hasFormat(kDragOriginFormat))
        return {};
    QByteArray text = data->data(kDragOriginFormat);
    QByteArray ours = originText({});
    return text.startsWith(ours) ? QString::fromUtf8(text.mid(ours.size())) : QString();
}

Qt::DropActions ImageListModel::supportedDragActions() const {
    return Qt::CopyAction;
}

} // namespace orvella
