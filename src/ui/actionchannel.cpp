#include "ui/actionchannel.h"

#include <QAction>
#include <QLineEdit>

ActionChannel::ActionChannel(QLineEdit *field, const QList<Word> &words, QObject *parent)
    : QObject(parent)
    , m_field(field)
    , m_words(words)
{
    connect(m_field, &QLineEdit::textChanged, this, &ActionChannel::dispatch);
}

void ActionChannel::send(const QAction *action)
{
    for (const Word &word : m_words) {
        if (word.action == action)
            m_field->setText(word.word);
    }
}

void ActionChannel::dispatch()
{
    // Exact words only: no trimming, letter case counts. A command that writes a word meanwhile
    // has it dispatched, and emptied, before this dispatch goes on.
    const QString text = m_field->text();
    for (const Word &word : m_words) {
        if (text == word.word) {
            word.action->trigger();
            break;
        }
    }
    // Emptied after every dispatch, so choosing the same item again dispatches again.
    m_field->setText(QString());
}
