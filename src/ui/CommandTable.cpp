#include "ui/CommandTable.h"

#include <QMenu>
#include <QToolBar>
#include <stdexcept>

namespace orvella {

namespace {
QList<QKeySequence> keys(std::initializer_list<QKeySequence> list) { return list; }
} // namespace

const std::vector<CommandDefinition>& commandDefinitions() {
    static const std::vector<CommandDefinition> commands = {
        {"actAddCategory", "Add Category", "Add Category", {}},
        {"actRootCategory", "Add Root Category", "Add Root Category", {}},
        {"actDeleteCat", "Delete Category", "Delete Category", {}},
        {"actOptions", "Options", "Options", {}},
        {"actRefresh", "Refresh", "Refresh", keys({Qt::Key_F5})},
        {"actUpload", "Upload", "Upload", keys({Qt::Key_F3})},
        {"actMove", "Move", "Move File(s)", keys({Qt::Key_F6})},
        {"actDelete", "Delete", "Delete File(s)", keys({Qt::SHIFT | Qt::Key_Delete, Qt::Key_F8})},
        {"actSyncronize", "Synchronize keywords", "Synchronize keywords", keys({Qt::Key_F4})},
        {"actBugReport", "Send bug report", "Send bug report", {}},
        {"actCleanup", "Database Cleanup", "", {}},
        {"actCopyKeywords", "Copy Image Keywords", "", keys({Qt::Key_F11})},
        {"actRename", "Rename", "", keys({Qt::Key_F2})},
        {"actInverSelection", "Invert Selection", "Invert selection", {}},
        {"actZip", "Zip files", "Zip selected files", keys({Qt::SHIFT | Qt::Key_F5})},
        {"actShowFile", "Load file to Studio", "Load file for preview", keys({Qt::Key_Return})},
        {"actFullScan", "Scan current directory", "Scan current directory", keys({Qt::Key_F7})},
        {"actClone", "Clone image", "Clone image", keys({Qt::CTRL | Qt::SHIFT | Qt::Key_C})},
        {"actClearEXIF", "Clear EXIF tags", "Clear EXIF tags", {}},
        // Commands of menus and popups that have no entry of their own above.
        {"actExit", "Exit", "", {}},
        {"actConvertEPS", "Convert EPS to JPEG", "", {}},
        {"actHelp", "Help", "", keys({Qt::Key_F1})},
        {"actFAQ", "FAQ", "", {}},
        {"actAbout", "About", "", {}},
        {"actDebugWindow", "Debug window", "", {}},
        {"actSQLConsole", "SQL Console", "", {}},
        {"actDeleteInvalid", "Delete invalid image from stock", "", {}},
        {"actSetLocation", "Set actual image location", "", {}},
        {"actUnfasten", "Unfasten image from category", "", {}},
        {"actCopy", "Copy", "", {}},
        {"actPaste", "Paste", "", {}},
    };
    return commands;
}

const std::vector<GlobalStateCommand>& globalStateCommands() {
    static const std::vector<GlobalStateCommand> states = {
        {"actStateNotReady", "Not ready", 1},   {"actStateReady", "Ready to upload", 2},
        {"actStatePending", "Pending", 3},      {"actStateRejected", "Rejected", 5},
        {"actStateAccepted", "Accepted", 6},    {"actStateResubmit", "Resubmit", 7},
        {"actStateDonated", "Donated", 8},
    };
    return states;
}

CommandTable::CommandTable(QObject* parent) : QObject(parent) {
    for (const CommandDefinition& command : commandDefinitions())
        add(command.name, command.caption, command.hint, command.shortcuts);
    int key = Qt::Key_F1;
    for (const GlobalStateCommand& state : globalStateCommands())
        add(state.name, state.caption, "", {QKeySequence(Qt::CTRL | Qt::SHIFT | key++)});
}

QAction* CommandTable::add(const QString& name, const QString& caption, const QString& hint,
                           const QList<QKeySequence>& shortcuts) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcuts(shortcuts);
    action->setEnabled(false);
    actions_.insert(name, action);
    return action;
}

QAction* CommandTable::Action(const QString& name) const {
    QAction* action = actions_.value(name);
    if (!action)
        throw std::logic_error("no command named " + name.toStdString());
    return action;
}

void CommandTable::Bind(const QString& name, std::function<void()> handler) {
    QAction* action = Action(name);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    action->setEnabled(true);
}

namespace {
// Menus and toolbars take actions and separators alike.
template <typename Bar>
void fillBar(const CommandTable& table, Bar* bar, const CommandLayout& layout) {
    for (const char* name : layout) {
        if (QString(name) == "-")
            bar->addSeparator();
        else
            bar->addAction(table.Action(name));
    }
}
} // namespace

void CommandTable::fill(QMenu* menu, const CommandLayout& layout) const { fillBar(*this, menu, layout); }

void CommandTable::fill(QToolBar* toolbar, const CommandLayout& layout) const {
    fillBar(*this, toolbar, layout);
}

QMenu* CommandTable::addGlobalStateMenu(QMenu* menu, const QString& caption) const {
    QMenu* states = menu->addMenu(caption);
    for (const GlobalStateCommand& state : globalStateCommands())
        states->addAction(Action(state.name));
    return states;
}

} // namespace orvella
