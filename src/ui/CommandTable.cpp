#include "ui/CommandTable.h"

#include <QMenu>
#include <QToolBar>
#include <stdexcept>

namespace orvella {

namespace {
QList<QKeySequence> keys(std::initializer_list<QKeySequence> list) {
    return list;
}
} // namespace

const std::vector<CommandDefinition>& commandDefinitions() {
    static const std::vector<CommandDefinition> commands = {
        {cmd::AddCategory, "Add Category", "Add Category", {}},
        {cmd::RootCategory, "Add Root Category", "Add Root Category", {}},
        {cmd::DeleteCat, "Delete Category", "Delete Category", {}},
        {cmd::Options, "Options", "Options", {}},
        {cmd::Refresh, "Refresh", "Refresh", keys({Qt::Key_F5})},
        {cmd::Upload, "Upload", "Upload", keys({Qt::Key_F3})},
        {cmd::Move, "Move", "Move File(s)", keys({Qt::Key_F6})},
        {cmd::Delete, "Delete", "Delete File(s)", keys({Qt::SHIFT | Qt::Key_Delete, Qt::Key_F8})},
        {cmd::Syncronize, "Synchronize keywords", "Synchronize keywords", keys({Qt::Key_F4})},
        {cmd::BugReport, "Send bug report", "Send bug report", {}},
        {cmd::Cleanup, "Database Cleanup", "", {}},
        {cmd::CopyKeywords, "Copy Image Keywords", "", keys({Qt::Key_F11})},
        {cmd::Rename, "Rename", "", keys({Qt::Key_F2})},
        {cmd::InverSelection, "Invert Selection", "Invert selection", {}},
        {cmd::Zip, "Zip files", "Zip selected files", keys({Qt::SHIFT | Qt::Key_F5})},
        {cmd::ShowFile, "Load file to Studio", "Load file for preview", keys({Qt::Key_Return})},
        {cmd::FullScan, "Scan current directory", "Scan current directory", keys({Qt::Key_F7})},
        {cmd::Clone, "Clone image", "Clone image", keys({Qt::CTRL | Qt::SHIFT | Qt::Key_C})},
        {cmd::ClearEXIF, "Clear EXIF tags", "Clear EXIF tags", {}},
        // Commands of menus and popups that have no entry of their own above.
        {cmd::Exit, "Exit", "", {}},
        {cmd::ConvertEPS, "Convert EPS to JPEG", "", {}},
        {cmd::Help, "Help", "", keys({Qt::Key_F1})},
        {cmd::FAQ, "FAQ", "", {}},
        {cmd::About, "About", "", {}},
        {cmd::DebugWindow, "Debug window", "", {}},
        {cmd::SQLConsole, "SQL Console", "", {}},
        {cmd::DeleteInvalid, "Delete invalid image from stock", "", {}},
        {cmd::SetLocation, "Set actual image location", "", {}},
        {cmd::Unfasten, "Unfasten image from category", "", {}},
        {cmd::Copy, "Copy", "", {}},
        {cmd::Paste, "Paste", "", {}},
        // The pages' toolbar buttons (captioned by their hints) and popup entries.
        {cmd::AddCategoryKeywords, "Add keywords", "", {}},
        {cmd::DeleteCategoryKeyword, "Delete keyword", "", {}},
        {cmd::DeleteCategoryKeywordFromDatabase, "Delete from database", "", {}},
        {cmd::SaveCategoryKeywords, "Save to file", "", {}},
        {cmd::LoadCategoryKeywords, "Load from file", "", {}},
        {cmd::PasteCategoryKeywords, "Paste from clipboard", "", {}},
        {cmd::GetStockInfo, "Get stock info (beta)", "Get stock info (beta)", {}},
        {cmd::OpenStockPage, "Open as web page", "", {}},
        {cmd::InfoKeywordUp, "Move keyword up", "Move keyword up", {}},
        {cmd::InfoKeywordDown, "Move keyword down", "Move keyword down", {}},
        {cmd::InfoDeleteKeyword, "Delete keyword", "Delete keyword", {}},
        {cmd::InfoWordsFromDescription,
         "Add words from description",
         "Add words from description",
         {}},
        {cmd::InfoSortKeywords, "Sort alphabetically", "Sort alphabetically", {}},
        {cmd::InfoAddKeywords, "Add keywords", "Add keywords", {}},
        {cmd::AddImageKeyword, "Add keyword to image", "Add keyword to image", {}},
        {cmd::DeleteImageKeyword, "Delete image keyword", "Delete image keyword", {}},
        {cmd::DeleteKeywordFromDatabase,
         "Delete keyword from database",
         "Delete keyword from database",
         {}},
        {cmd::SaveImageKeywords, "Save to file", "Save to file", {}},
        {cmd::LoadImageKeywords, "Load from file", "Load from file", {}},
        {cmd::PasteImageKeywords, "Paste from clipboard", "Paste from clipboard", {}},
        {cmd::CopyImageKeywords, "Copy to clipboard", "Copy to clipboard", {}},
        {cmd::AddCategoryKeywordsToImage,
         "Add selected category keywords to image",
         "Add selected category keywords to image",
         {}},
        {cmd::ImageKeywordUp, "Move keyword up", "Move keyword up", {}},
        {cmd::ImageKeywordDown, "Move keyword down", "Move keyword down", {}},
        {cmd::SortImageKeywords, "Sort alphabetically", "Sort alphabetically", {}},
        {cmd::DeleteRelease, "Delete Release", "", {}},
        {cmd::OpenImage, "Open image", "Open image", {}},
        {cmd::SaveImage, "Save Image", "Save Image", {}},
        {cmd::RotateLeft, "Rotate anticlockwise", "Rotate anticlockwise", {}},
        {cmd::RotateRight, "Rotate clockwise", "Rotate clockwise", {}},
        {cmd::ZoomIn, "Zoom in", "Zoom in", {}},
        {cmd::ZoomOut, "Zoom out", "Zoom out", {}},
        {cmd::LoadPrevious, "Load previous", "Load previous", {}},
        {cmd::LoadNext, "Load next", "Load next", {}},
        {cmd::FitToWindow, "Fit to window", "Fit to window", {}},
    };
    return commands;
}

const std::vector<GlobalStateCommand>& globalStateCommands() {
    static const std::vector<GlobalStateCommand> states = {
        {cmd::StateNotReady, "Not ready", 1}, {cmd::StateReady, "Ready to upload", 2},
        {cmd::StatePending, "Pending", 3},    {cmd::StateRejected, "Rejected", 5},
        {cmd::StateAccepted, "Accepted", 6},  {cmd::StateResubmit, "Resubmit", 7},
        {cmd::StateDonated, "Donated", 8},
    };
    return states;
}

CommandTable::CommandTable(QObject* parent) : QObject(parent) {
    for (const CommandDefinition& command : commandDefinitions())
        add(command.id, command.caption, command.hint, command.shortcuts);
    int key = Qt::Key_F1;
    for (const GlobalStateCommand& state : globalStateCommands())
        add(state.id, state.caption, "", {QKeySequence(Qt::CTRL | Qt::SHIFT | key++)});
    for (CommandId id : cmd::All)
        if (!actions_.contains(id.name))
            throw std::logic_error(std::string("command without a definition: ") + id.name);
}

QAction* CommandTable::add(CommandId id, const QString& caption, const QString& hint,
                           const QList<QKeySequence>& shortcuts) {
    if (actions_.contains(id.name))
        throw std::logic_error(std::string("command defined twice: ") + id.name);
    auto* action = new QAction(caption, this);
    action->setObjectName(id.name);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcuts(shortcuts);
    action->setEnabled(false);
    actions_.insert(id.name, action);
    return action;
}

QAction* CommandTable::Action(CommandId id) const {
    QAction* action = actions_.value(id.name);
    if (!action)
        throw std::logic_error(std::string("no command named ") + id.name);
    return action;
}

void CommandTable::Bind(CommandId id, QObject* owner, std::function<void()> handler) {
    QAction* action = Action(id);
    connect(action, &QAction::triggered, owner, [handler = std::move(handler)] { handler(); });
    connect(owner, &QObject::destroyed, action, [action] { action->setEnabled(false); });
    action->setEnabled(true);
}

namespace {
// Menus and toolbars take actions and separators alike.
template <typename Bar>
void fillBar(const CommandTable& table, Bar* bar, const CommandLayout& layout) {
    for (CommandId id : layout) {
        if (QString(id.name) == cmd::Separator.name)
            bar->addSeparator();
        else
            bar->addAction(table.Action(id));
    }
}
} // namespace

void CommandTable::fill(QMenu* menu, const CommandLayout& layout) const {
    fillBar(*this, menu, layout);
}

void CommandTable::fill(QToolBar* toolbar, const CommandLayout& layout) const {
    fillBar(*this, toolbar, layout);
}

void CommandTable::fill(QWidget* owner, const CommandLayout& layout) const {
    for (CommandId id : layout)
        owner->addAction(Action(id));
}

QMenu* CommandTable::addGlobalStateMenu(QMenu* menu, const QString& caption) const {
    QMenu* states = menu->addMenu(caption);
    for (const GlobalStateCommand& state : globalStateCommands())
        states->addAction(Action(state.id));
    return states;
}

} // namespace orvella
