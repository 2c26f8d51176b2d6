#pragma once

#include "ui/CommandIds.h"

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QMenu;
class QToolBar;

namespace orvella {

// One command of the program: its id, caption, hint and keys.
struct CommandDefinition {
    CommandId id;
    const char* caption;
    const char* hint;
    QList<QKeySequence> shortcuts;
};

// Every command, in one list; menus, toolbars and popups name them.
const std::vector<CommandDefinition>& commandDefinitions();

// The seven states the user can set for all stocks at once, with their keys.
struct GlobalStateCommand {
    CommandId id;
    const char* caption; // the state's name
    int stateOrdinal;    // 1 + the state code
};
const std::vector<GlobalStateCommand>& globalStateCommands();

// A menu or toolbar layout: command ids, cmd::Separator for a separator.
using CommandLayout = std::vector<CommandId>;

// The command table: one QAction per command. A command without a handler is
// shown disabled until the part of the program that carries it binds one.
// An id the table does not define is a programming error (std::logic_error).
class CommandTable : public QObject {
    Q_OBJECT
public:
    // Throws std::logic_error when an id of cmd::All has no definition.
    explicit CommandTable(QObject* parent = nullptr);

    QAction* Action(CommandId id) const;
    // Connects the handler and enables the command; the binding ends, and
    // the command is disabled again, when owner goes away.
    void Bind(CommandId id, QObject* owner, std::function<void()> handler);
    QList<QAction*> Actions() const { return actions_.values(); }

    void fill(QMenu* menu, const CommandLayout& layout) const;
    void fill(QToolBar* toolbar, const CommandLayout& layout) const;
    // The commands as the popup of a widget (Qt::ActionsContextMenu).
    void fill(QWidget* owner, const CommandLayout& layout) const;
    // The "Set Global status" entries as a submenu of menu.
    QMenu* addGlobalStateMenu(QMenu* menu, const QString& caption) const;

private:
    QAction* add(CommandId id, const QString& caption, const QString& hint,
                 const QList<QKeySequence>& shortcuts);

    QMap<QString, QAction*> actions_;
};

} // namespace orvella
