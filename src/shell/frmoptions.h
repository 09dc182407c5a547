#pragma once

#include <QDialog>
#include <QStyle>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The options dialog "选项设置": the completion sound and the music cutter's time range. It shows
// the program-wide settings when it opens and, on OK, checks the fields, stores them in the
// settings and in options.ini. It is made afresh for each showing and shown modally:
//     frmOptions dialog(programFolder, owner);
//     dialog.exec();
class frmOptions : public QDialog
{
    Q_OBJECT

public:
    // options.ini is written into programFolder.
    explicit frmOptions(const QString &programFolder, QWidget *parent = nullptr);

    void chkMC_Click();
    // Validate, store, write options.ini, close; a failed check leaves the dialog open.
    void imgOK_Click();
    void imgBack_Click();
    void imgExit_Click();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void Form_Load();
    QLabel *addCaption(const QString &name, const QString &text, const QRect &place);
    // A time field and its unit caption just right of it.
    QLineEdit *addTimeField(const QString &name, const QString &unit, int x, int y);
    QToolButton *addPictureButton(const QString &name, const QString &tip, QStyle::StandardPixmap icon,
                                  const QRect &place);
    QList<QLineEdit *> timeFields() const;
    bool checkBelowSixty(QLineEdit *field, const QString &message, const QString &title);

    QString m_programFolder;
    QLabel *Label1;
    QComboBox *cmbSR;
    QCheckBox *chkMC;
    QLineEdit *txtFromH;
    QLineEdit *txtFromM;
    QLineEdit *txtFromS;
    QLineEdit *txtToH;
    QLineEdit *txtToM;
    QLineEdit *txtToS;
    QToolButton *imgOK;
    QToolButton *imgBack;
    QToolButton *imgExit;
    QPushButton *Command1;
    QPushButton *Command2;
};
