#pragma once

#include <QDialog>
#include <QStyle>

struct ProgramOption;
struct ProgramSettings;
class UserServices;

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;

// The options dialog: the completion sound, the music cutter's time range and the number
// of files converted at once. It shows the program-wide settings when it opens and, on OK, checks
// the fields, stores them in the settings and in options.ini. It is made afresh for each showing
// and shown modally:
//     OptionsDialog dialog(settings, settingsFolder, services, owner);
//     dialog.exec();
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    // Shows settings and stores them on OK; options.ini is written into settingsFolder; the checks'
    // warnings go through services.
    OptionsDialog(ProgramSettings &settings, const QString &settingsFolder, UserServices &services,
                  QWidget *parent = nullptr);

    void updateTimeFieldsEnabled();
    // Validate, store, write options.ini, close; a failed check leaves the dialog open.
    void storeAndClose();
    void closeWithoutStoring();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    // The sound choice, the cutter with its six time fields, the number of files at once, library mode
    // and its choices (deleting outputs whose source is gone, the covers' size, FAT-safe names).
    void addFields();
    // OK and Back, as picture buttons and as push buttons, and the close picture.
    void addButtons();
    void showStoredSettings();
    QLabel *addCaption(const QString &name, const QString &text, const QRect &place);
    static QString caption(const ProgramOption &option);
    // A check box that shows the option, with its caption.
    QCheckBox *addSwitch(const ProgramOption &option, const QString &name, const QRect &place);
    // A spin box at x over the option's range, its caption at captionPlace; name followed by "Label"
    // and "Spin" names the two.
    QSpinBox *addNumber(const ProgramOption &option, const QString &name, const QRect &captionPlace, int x);
    // A time field and its unit caption just right of it; assistive technology reads it by its
    // row and unit (the start's hours, say).
    QLineEdit *addTimeField(const QString &name, const QString &accessibleName, const QString &unit, int x,
                            int y);
    // A picture button; assistive technology reads it as `accessibleName`.
    QToolButton *addPictureButton(const QString &name, const QString &tip, const QString &accessibleName,
                                  QStyle::StandardPixmap icon, const QRect &place);
    QList<QLineEdit *> timeFields() const;
    // The controls that only library mode uses.
    QList<QWidget *> libraryChoices() const;
    // The field's leading number is at most `most`, or the user is told and the field takes the focus.
    bool checkAtMost(QLineEdit *field, double most, const QString &message, const QString &title);
    // With the cutter on: no time below 0, and an end after the start (an end of 0 means the input's end).
    bool checkRange();
    bool refuse(QLineEdit *field, const QString &title, const QString &message);

    ProgramSettings &m_settings;
    QString m_settingsFolder;
    UserServices &m_services;
    // Each control that shows an option, with its option; they are shown and stored alike.
    QList<std::pair<const ProgramOption *, QWidget *>> m_controls;
    QCheckBox *m_cutterCheck;
    QLineEdit *m_startHoursEdit;
    QLineEdit *m_startMinutesEdit;
    QLineEdit *m_startSecondsEdit;
    QLineEdit *m_endHoursEdit;
    QLineEdit *m_endMinutesEdit;
    QLineEdit *m_endSecondsEdit;
    QCheckBox *m_libraryCheck;
};
