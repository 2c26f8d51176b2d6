#pragma once

#include <QObject>
#include <vector>

namespace orvella {

class ImageListView;
struct ImageListItem;

// The images chosen in the main image list, for every page that follows
// them. The list's page attaches its view; pages read the selection and
// subscribe to its signals instead of looking at the list.
class ImageSelection : public QObject {
    Q_OBJECT
public:
    explicit ImageSelection(QObject* parent = nullptr) : QObject(parent) {}

    // The view whose selection this is (the image list's page does this once).
    void attach(const ImageListView* list);

    // The item with the keyboard focus, or null.
    const ImageListItem* focused() const;
    // The items selected, in row order.
    std::vector<const ImageListItem*> selected() const;
    // Every item the list shows, in list order.
    std::vector<const ImageListItem*> listed() const;

    // Whether the list offers check boxes to choose images (while uploading).
    bool checkable() const { return checkable_; }
    void setCheckable(bool checkable);

    // Holds the signals while a change made of many steps runs (inverting the
    // selection), then sends them once.
    class Batch {
    public:
        explicit Batch(ImageSelection& selection) : selection_(selection) { ++selection_.held_; }
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        ImageSelection& selection_;
    };

signals:
    // The selection or the focus changed; the number of items selected.
    void selectionChanged(int selectedCount);
    // At most one item is selected and this one has the focus.
    void focusedImageChanged(const ImageListItem& item);
    void checkableChanged(bool checkable);

private:
    void notify();

    const ImageListView* list_ = nullptr;
    bool checkable_ = false;
    int held_ = 0;
};

} // namespace orvella
