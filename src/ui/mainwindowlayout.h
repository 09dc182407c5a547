#pragma once

#include <QList>

class FileList;
class FileListView;
class HintBox;
class HotLabel;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class QWidget;

// The controls of the main window's client area, for the parts of the window that work with them.
struct MainWindowControls
{
    QToolButton *addFileButton = nullptr;
    QToolButton *addFolderButton = nullptr;
    QToolButton *removeButton = nullptr;
    QToolButton *optionsButton = nullptr;
    QToolButton *exitButton = nullptr;
    QLabel *cornerPicture = nullptr;
    HotLabel *helpZone = nullptr;
    HotLabel *minimizeZone = nullptr;
    HotLabel *closeZone = nullptr;
    FileListView *fileListView = nullptr;
    HintBox *hintBox = nullptr;
    QLabel *progressCaption = nullptr;
    QProgressBar *progressBar = nullptr;
    QComboBox *formatCombo = nullptr;
    QComboBox *sizeCombo = nullptr;
    QComboBox *videoBitrateCombo = nullptr;
    QComboBox *frameRateCombo = nullptr;
    QComboBox *sampleRateCombo = nullptr;
    QComboBox *audioBitrateCombo = nullptr;
    QComboBox *channelCombo = nullptr;
    QLineEdit *outputFolderEdit = nullptr;
    QPushButton *browseButton = nullptr;
    QPushButton *startButton = nullptr;
    HotLabel *productLink = nullptr;
    HotLabel *feedbackLink = nullptr;
    HotLabel *addPicture = nullptr;
    HotLabel *removePicture = nullptr;
    HotLabel *startPicture = nullptr;
    HotLabel *browsePicture = nullptr;
    HotLabel *convertPicture = nullptr;
    // The picture toolbar beyond the right edge; its spare picture runs nothing.
    HotLabel *toolbarAddFilePicture = nullptr;
    HotLabel *toolbarRemovePicture = nullptr;
    HotLabel *toolbarOptionsPicture = nullptr;
    HotLabel *toolbarHelpPicture = nullptr;
    HotLabel *toolbarExitPicture = nullptr;
    HotLabel *toolbarSparePicture = nullptr;
    HotLabel *toolbarAddFolderPicture = nullptr;
    QLabel *dropZone = nullptr;
    QLabel *barPicture = nullptr;
    QLineEdit *actionChannel = nullptr;

    // The settings boxes a run reads, in the order the run takes them away.
    QList<QComboBox *> settingsBoxes() const;
    // The toolbar buttons, left to right.
    QList<QToolButton *> toolbarButtons() const;
};

// Lays the main window's controls out on its client area from one table of rectangles in logical
// pixels; Qt's high-DPI scaling keeps that layout on every screen. What the controls do is wired
// by the window's other parts.
namespace MainWindowLayout {

// The client area below the menu bar.
inline constexpr int ClientWidth = 698;
inline constexpr int ClientHeight = 455;

// Makes the controls on `client` in the table's order, which is also their stacking and tab
// order. The file list view and the hint show `list`.
MainWindowControls build(QWidget *client, FileList *list);

} // namespace MainWindowLayout
