#pragma once

#include "conversion/job.h"

#include <QObject>
#include <QString>

#include <optional>

// The progress area of the main window as state: the bar picture's width (0 empty, FullWidth full,
// fifteen steps to a pixel), the progress bar's value (0 to 100), the caption and the busy glyph.
// The window shows it on changed(); a run's progress comes into it as its jobs' readings, or as the
// share of the run done.
class ProgressState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double barWidth READ barWidth NOTIFY changed)
    Q_PROPERTY(double percent READ percent NOTIFY changed)
    Q_PROPERTY(QString caption READ caption NOTIFY changed)
    Q_PROPERTY(QString spinner READ spinner NOTIFY changed)

public:
    static constexpr double FullWidth = 5415;

    explicit ProgressState(QObject *parent = nullptr);

    double barWidth() const
    {
        settle();
        return m_width;
    }
    double percent() const
    {
        settle();
        return m_value;
    }
    QString caption() const
    {
        settle();
        return m_caption;
    }
    QString spinner() const { return m_spinner; }

    void setSpinner(const QString &glyph);
    // Bar and progress bar together: width in the bar's steps, value in percent, each kept within
    // its track.
    void setBar(double width, double value);
    void setCaption(const QString &caption);
    // The share of a whole run done, 0 to 1, in the transcoder's form: the bar, the spinner and
    // the percentage of the caption.
    void showShare(double share);
    // What a job's running tool told: each reading turns the spinner, and moves the bar and the
    // caption as far as it tells.
    void show(const JobProgress &progress);

signals:
    void changed();

private:
    void stepSpinner();
    // The bar and the caption for a fraction done, 0 to 1, in the transcoder's form.
    void showFraction(double fraction);
    // Works out the bar and the caption of the last fraction shown, once someone reads them: a
    // run over many up-to-date files shows one fraction per file, and a run without a window
    // never reads them.
    void settle() const;

    // The last fraction shown and the spinner of that moment, until settle works them out.
    struct Unsettled
    {
        double fraction;
        QString spinner;
    };
    mutable std::optional<Unsettled> m_unsettled;
    mutable double m_width = 0;
    mutable double m_value = 0;
    mutable QString m_caption = QStringLiteral("0%");
    QString m_spinner = QStringLiteral("-");
};
