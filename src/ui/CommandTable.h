#pragma once

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

// One command of the program: its action name, caption, hint and keys.
struct CommandDefinition {
    const char* name;
    const char* caption;
    const char* hint;
    QList<QKeySequence> shortcuts;
};

// Every command, in one list; menus, toolbars and popups name them.
const std::vector<CommandDefinition>& commandDefinitions();

// The seven states the user can set for all stocks at once, with their keys.
struct GlobalStateCommand {
    const char* name;    // action name
    const char* caption; // the state's name
    int stateOrdinal;    // 1 + the state code
};
const std::vector<GlobalStateCommand>& globalStateCommands();

// A menu or toolbar layout: action names, "-" for a separator.
using CommandLayout = std::vector<const char*>;

// The command table: one QAction per command. A command without a handler is
// shown disabled until the part of the program that carries it binds one.
class CommandTable : public QObject {
    Q_OBJECT
public:
    explicit CommandTable(QObject* parent = nullptr);

    QAction* Action(const QString& name) const;
    // Connects the handler and enables the command.
    void Bind(const QString& name, std::function<void()> handler);

    void fill(QMenu* menu, const CommandLayout& layout) const;
    void fill(QToolBar* toolbar, const CommandLayout& layout) const;
    // The "Set Global status" entries as a submenu of menu.
    QMenu* addGlobalStateMenu(QMenu* menu, const QString& caption) const;

private:
    QAction* add(const QString& name, const QString& caption, const QString& hint,
                 const QList<QKeySequence>& shortcuts);

    QMap<QString, QAction*> actions_;
};

} // namespace orvella
