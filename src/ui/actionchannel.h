#pragma once

#include <QObject>

class MainWindowCommands;
class QLineEdit;

// The popup menus' mailbox: a hidden field of the main window. Writing an action word into it
// runs that word's command at once, before the writer goes on; the field is emptied afterwards.
class ActionChannel : public QObject
{
    Q_OBJECT

public:
    ActionChannel(QLineEdit *field, MainWindowCommands &commands, QObject *parent = nullptr);

    // Runs the command of the word the field holds; any other text runs nothing.
    void dispatch();

private:
    QLineEdit *m_field;
    MainWindowCommands &m_commands;
};
