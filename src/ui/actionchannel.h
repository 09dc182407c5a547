#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QAction;
class QLineEdit;

// The popup menus' mailbox: a hidden field of the main window. Writing an action word into it
// triggers that word's action at once, before the writer goes on; the field is emptied afterwards.
class ActionChannel : public QObject
{
    Q_OBJECT

public:
    struct Word
    {
        QString word;
        QAction *action;
    };

    // `words` in the order they are tested.
    ActionChannel(QLineEdit *field, const QList<Word> &words, QObject *parent = nullptr);

    // Writes the word of `action` into the field.
    void send(const QAction *action);

private:
    // Triggers the action of the word the field holds; any other text triggers nothing.
    void dispatch();

    QLineEdit *m_field;
    const QList<Word> m_words;
};
