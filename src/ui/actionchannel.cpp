#include "ui/actionchannel.h"

#include "ui/actionwords.h"
#include "ui/mainwindowcommands.h"

#include <QLineEdit>

ActionChannel::ActionChannel(QLineEdit *field, MainWindowCommands &commands, QObject *parent)
    : QObject(parent)
    , m_field(field)
    , m_commands(commands)
{
    connect(m_field, &QLineEdit::textChanged, this, &ActionChannel::dispatch);
}

void ActionChannel::dispatch()
{
    // Each word is tested against the field's current text, so a command that writes into the
    // field changes what the later tests see.
    if (m_field->text() == ActionWords::removeSelected())
        m_commands.removeSelectedFile();
    if (m_field->text() == ActionWords::about())
        m_commands.showAbout();
    if (m_field->text() == ActionWords::addFile())
        m_commands.addFileFromDialog();
    if (m_field->text() == ActionWords::addFolder())
        m_commands.runToolbarCommand(6);
    if (m_field->text() == ActionWords::exitProgram())
        m_commands.exitProgram();
    if (m_field->text() == ActionWords::help())
        m_commands.openHelp();
    if (m_field->text() == ActionWords::options())
        m_commands.runToolbarCommand(2);
    // Emptied after every dispatch, so choosing the same item again dispatches again.
    m_field->setText(QString());
}
