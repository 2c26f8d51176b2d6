#pragma once

#include "ui/pages/Page.h"

#include <optional>

class QTreeView;
class QSplitter;

namespace orvella {

// The left pane's "Files" page: the folder tree and the keyword search. The
// folder chosen in the tree is what the main image list shows.
class FilesPage : public Page {
    Q_OBJECT
public:
    explicit FilesPage(WindowContext& context, QWidget* parent = nullptr);

    QString selectedFolder() const;
    // Selects the folder in the tree, as the user does; a folder that is not
    // there is ignored.
    void selectFolder(const QString& folder);
    // Acts on the tree's selection as when it changes (the first time the
    // window is up after start-up).
    void followSelection();
    // The folder files dropped at a global position go to, when the position
    // is over the tree (target is the widget there): the folder under it, or
    // the selected one.
    std::optional<QString> dropFolderAt(const QWidget* target, const QPoint& globalPosition) const;

    void restoreLayout(const LoadedLayout& layout) override;
    void saveLayout(WindowLayout& layout) const override;
    void refresh() override;

signals:
    // The main list is to stop listing the folder it lists.
    void folderLeft();
    // The user chose this folder in the tree: the main list is to list it.
    void folderChosen(const QString& folder);
    // The main list is to list the selected folder again (Refresh, the page
    // shown again): no new folder was chosen.
    void folderRelisted(const QString& folder);
    // "Search" clicked or Enter pressed in the search box.
    void searchRequested(const QString& text);

protected:
    void activated() override;

private:
    QWidget* buildSearchPanel();

    QSplitter* splitter_;
    QTreeView* tree_;
};

} // namespace orvella
