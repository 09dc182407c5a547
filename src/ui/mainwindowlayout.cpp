#include "ui/mainwindowlayout.h"

#include "conversion/formattable.h"
#include "ui/artwork.h"
#include "ui/filelistview.h"
#include "ui/hintbox.h"
#include "ui/hotlabel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <type_traits>

using namespace Qt::StringLiterals;

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(MainWindowLayout)
};

enum class Kind
{
    ToolbarButton, // icon above the caption; both come from its command
    Picture,       // shows its picture at its size
    HotZone,       // lights up under the pointer: with its picture, or a caption turns bold
    Link,          // a caption with the hand cursor
    PictureButton, // reports clicks; lies beyond the right edge
    FileListView,
    HintBox,
    Label,
    ProgressBar,
    Combo,         // a fixed list
    EditableCombo, // a list that also takes a typed value
    LineEdit,
    PushButton, // a command's caption and icon, or its own caption
    DropZone,
    ActionChannel,
};

// Stores a made control in its member of MainWindowControls; none for the controls that only show.
using Keep = void (*)(MainWindowControls &, QWidget *);

template<auto Member> void keep(MainWindowControls &controls, QWidget *widget)
{
    controls.*Member = static_cast<std::remove_reference_t<decltype(controls.*Member)>>(widget);
}

template<auto Member> constexpr Keep in = &keep<Member>;

struct Control
{
    QString name;
    Kind kind;
    Keep keep;
    // Logical pixels. A label is sized to its caption, except for a width or height given here.
    QRect rect;
    QString caption = {};
    QString toolTip = {};
    // The artwork's name; for a hot zone, its lit look.
    QString picture = {};
    QStringList entries = {};
    // For a caption label: the control it names, which assistive technology reads with it.
    QString buddy = {};
    // What assistive technology reads for a control that shows no caption of its own.
    QString accessibleName = {};
    bool bold = false;
};

// One maker per kind of row, so that each row of the table reads on one line.
Control control(const QString &name, Keep keep, Kind kind, const QRect &rect,
                const QString &accessibleName = {})
{
    return {.name = name, .kind = kind, .keep = keep, .rect = rect, .accessibleName = accessibleName};
}

Control picture(const QString &name, Keep keep, const QRect &rect, const QString &artwork = {})
{
    return {.name = name, .kind = Kind::Picture, .keep = keep, .rect = rect, .picture = artwork};
}

Control hotZone(const QString &name, Keep keep, const QRect &rect, const QString &accessibleName,
                const QString &toolTip, const QString &litPicture)
{
    return {.name = name,
            .kind = Kind::HotZone,
            .keep = keep,
            .rect = rect,
            .toolTip = toolTip,
            .picture = litPicture,
            .accessibleName = accessibleName};
}

Control captionedControl(const QString &name, Keep keep, Kind kind, const QRect &rect, const QString &caption)
{
    return {.name = name, .kind = kind, .keep = keep, .rect = rect, .caption = caption};
}

Control label(const QString &name, Keep keep, const QRect &rect, const QString &caption,
              const QString &buddy = {})
{
    return {
        .name = name, .kind = Kind::Label, .keep = keep, .rect = rect, .caption = caption, .buddy = buddy};
}

Control combo(const QString &name, Keep keep, Kind kind, const QRect &rect, const QStringList &entries)
{
    return {.name = name, .kind = kind, .keep = keep, .rect = rect, .entries = entries};
}

Control boldControl(const QString &name, Keep keep, Kind kind, const QRect &rect)
{
    return {.name = name, .kind = kind, .keep = keep, .rect = rect, .bold = true};
}

using C = MainWindowControls;

// The controls of the client area; the format and video settings show a sliver at its right edge or
// lie beyond it.
QList<Control> clientControls()
{
    return {
        control(u"addFileButton"_s, in<&C::addFileButton>, Kind::ToolbarButton, {0, 0, 95, 66}),
        control(u"addFolderButton"_s, in<&C::addFolderButton>, Kind::ToolbarButton, {94, 0, 95, 66}),
        control(u"removeButton"_s, in<&C::removeButton>, Kind::ToolbarButton, {188, 0, 95, 66}),
        control(u"optionsButton"_s, in<&C::optionsButton>, Kind::ToolbarButton, {282, 0, 95, 66}),
        control(u"exitButton"_s, in<&C::exitButton>, Kind::ToolbarButton, {376, 0, 95, 66}),
        // Only a decoration: no name for assistive technology, and no focus.
        picture(u"cornerPicture"_s, in<&C::cornerPicture>, {574, 0, 109, 111}, u"corner"_s),
        hotZone(u"helpZone"_s, in<&C::helpZone>, {635, 8, 15, 15}, Texts::tr("帮助"),
                Texts::tr("Help & Tutorial"), u"help-light"_s),
        hotZone(u"minimizeZone"_s, in<&C::minimizeZone>, {652, 9, 14, 14}, Texts::tr("最小化"),
                Texts::tr("Minimize Window"), u"min-light"_s),
        hotZone(u"closeZone"_s, in<&C::closeZone>, {672, 10, 15, 15}, Texts::tr("关闭"), Texts::tr("Exit"),
                u"exit-light"_s),
        control(u"fileListView"_s, in<&C::fileListView>, Kind::FileListView, {4, 90, 455, 274},
                Texts::tr("文件列表")),
        control(u"hintBox"_s, in<&C::hintBox>, Kind::HintBox, {152, 208, 163, 21}),
        label(u"progressCaption"_s, in<&C::progressCaption>, {218, 378, 243, 0}, u"0%"_s),
        control(u"progressBar"_s, in<&C::progressBar>, Kind::ProgressBar, {4, 398, 457, 21},
                Texts::tr("转换进度")),
        label(u"formatLabel"_s, nullptr, {486, 86, 0, 0}, FormatTable::outputFormatCaption(),
              u"formatCombo"_s),
        label(u"mp3Label"_s, nullptr, {488, 112, 191, 25}, FormatTable::mp3Caption()),
        combo(u"formatCombo"_s, in<&C::formatCombo>, Kind::Combo, {686, 112, 189, 22},
              FormatTable::formatEntries()),
        label(u"sizeLabel"_s, nullptr, {690, 141, 0, 0}, FormatTable::sizeCaption(), u"sizeCombo"_s),
        combo(u"sizeCombo"_s, in<&C::sizeCombo>, Kind::EditableCombo, {690, 161, 189, 22},
              FormatTable::sizeEntries()),
        label(u"videoBitrateLabel"_s, nullptr, {690, 195, 0, 0}, FormatTable::videoBitrateCaption(),
              u"videoBitrateCombo"_s),
        combo(u"videoBitrateCombo"_s, in<&C::videoBitrateCombo>, Kind::EditableCombo, {690, 215, 189, 22},
              FormatTable::videoBitrateEntries()),
        label(u"frameRateLabel"_s, nullptr, {790, 251, 0, 0}, FormatTable::frameRateCaption(),
              u"frameRateCombo"_s),
        combo(u"frameRateCombo"_s, in<&C::frameRateCombo>, Kind::EditableCombo, {790, 271, 189, 22},
              FormatTable::frameRateEntries()),
        label(u"sampleRateLabel"_s, nullptr, {486, 141, 0, 0}, FormatTable::sampleRateCaption(),
              u"sampleRateCombo"_s),
        combo(u"sampleRateCombo"_s, in<&C::sampleRateCombo>, Kind::EditableCombo, {486, 161, 189, 22},
              FormatTable::sampleRateEntries()),
        label(u"audioBitrateLabel"_s, nullptr, {486, 195, 0, 0}, FormatTable::audioBitrateCaption(),
              u"audioBitrateCombo"_s),
        combo(u"audioBitrateCombo"_s, in<&C::audioBitrateCombo>, Kind::EditableCombo, {486, 215, 189, 22},
              FormatTable::audioBitrateEntries()),
        label(u"channelLabel"_s, nullptr, {486, 251, 0, 0}, FormatTable::channelCaption(), u"channelCombo"_s),
        combo(u"channelCombo"_s, in<&C::channelCombo>, Kind::Combo, {486, 271, 189, 22},
              FormatTable::channelEntries()),
        label(u"outputFolderLabel"_s, nullptr, {486, 308, 0, 0}, FormatTable::outputPathCaption(),
              u"outputFolderEdit"_s),
        control(u"outputFolderEdit"_s, in<&C::outputFolderEdit>, Kind::LineEdit, {486, 329, 137, 21},
                Texts::tr("输出路径")),
        control(u"browseButton"_s, in<&C::browseButton>, Kind::PushButton, {628, 330, 47, 20}),
        boldControl(u"startButton"_s, in<&C::startButton>, Kind::PushButton, {488, 364, 189, 59}),
        control(u"productLink"_s, in<&C::productLink>, Kind::Link, {6, 430, 181, 13}),
        captionedControl(u"feedbackLink"_s, in<&C::feedbackLink>, Kind::HotZone, {624, 432, 48, 13},
                         //: 48 pixels wide, and bold under the pointer
                         Texts::tr("意见反馈")),
    };
}

// The controls beyond the right edge of the client area, where the pointer never reaches them.
QList<Control> offWindowControls()
{
    return {
        control(u"toolbarAddFilePicture"_s, in<&C::toolbarAddFilePicture>, Kind::PictureButton,
                {760, 10, 24, 24}),
        control(u"toolbarRemovePicture"_s, in<&C::toolbarRemovePicture>, Kind::PictureButton,
                {760, 40, 24, 24}),
        control(u"toolbarOptionsPicture"_s, in<&C::toolbarOptionsPicture>, Kind::PictureButton,
                {760, 70, 24, 24}),
        control(u"toolbarHelpPicture"_s, in<&C::toolbarHelpPicture>, Kind::PictureButton, {760, 100, 24, 24}),
        control(u"toolbarExitPicture"_s, in<&C::toolbarExitPicture>, Kind::PictureButton, {760, 130, 24, 24}),
        control(u"toolbarSparePicture"_s, in<&C::toolbarSparePicture>, Kind::PictureButton,
                {760, 160, 24, 24}),
        control(u"toolbarAddFolderPicture"_s, in<&C::toolbarAddFolderPicture>, Kind::PictureButton,
                {760, 190, 24, 24}),
        control(u"addPicture"_s, in<&C::addPicture>, Kind::PictureButton, {820, 10, 24, 24}),
        control(u"removePicture"_s, in<&C::removePicture>, Kind::PictureButton, {820, 40, 24, 24}),
        control(u"startPicture"_s, in<&C::startPicture>, Kind::PictureButton, {820, 70, 24, 24}),
        control(u"browsePicture"_s, in<&C::browsePicture>, Kind::PictureButton, {820, 100, 24, 24}),
        control(u"convertPicture"_s, in<&C::convertPicture>, Kind::PictureButton, {820, 130, 24, 24}),
        captionedControl(u"dropZone"_s, in<&C::dropZone>, Kind::DropZone, {760, 300, 200, 60},
                         Texts::tr("Drag media files onto this DropZone")),
        picture(u"barPicture"_s, in<&C::barPicture>, {760, 230, 0, 10}),
        control(u"actionChannel"_s, in<&C::actionChannel>, Kind::ActionChannel, {760, 260, 120, 21}),
    };
}

// Every control, in the order of making, stacking and tabbing.
QList<Control> table()
{
    return clientControls() + offWindowControls();
}

QWidget *makeToolbarButton(QWidget *client)
{
    auto *button = new QToolButton(client);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QWidget *makeHotLabel(const Control &row, QWidget *client)
{
    auto *hotLabel = new HotLabel(client);
    hotLabel->setText(row.caption);
    if (row.kind == Kind::PictureButton)
        return hotLabel;
    hotLabel->setCursor(Qt::PointingHandCursor);
    if (row.kind == Kind::HotZone) {
        hotLabel->setLitPicture(row.picture);
        QObject::connect(hotLabel, &HotLabel::pointerMoved, hotLabel, [hotLabel] { hotLabel->setLit(true); });
    }
    return hotLabel;
}

QWidget *makeCombo(const Control &row, QWidget *client)
{
    auto *box = new QComboBox(client);
    box->setEditable(row.kind == Kind::EditableCombo);
    // The lists are fixed: a typed value is used as typed and never becomes an entry.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(row.entries);
    return box;
}

QWidget *makeLabel(const Control &row, QWidget *client)
{
    auto *plainLabel = new QLabel(row.caption, client);
    if (row.kind == Kind::DropZone)
        plainLabel->setWordWrap(true);
    return plainLabel;
}

QWidget *makeControl(const Control &row, QWidget *client, FileList *list)
{
    switch (row.kind) {
    case Kind::ToolbarButton:
        return makeToolbarButton(client);
    case Kind::HotZone:
    case Kind::Link:
    case Kind::PictureButton:
        return makeHotLabel(row, client);
    case Kind::FileListView:
        return new FileListView(list, client);
    case Kind::HintBox:
        return new HintBox(client);
    case Kind::Picture:
    case Kind::Label:
    case Kind::DropZone:
        return makeLabel(row, client);
    case Kind::ProgressBar: {
        auto *bar = new QProgressBar(client);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    case Kind::Combo:
    case Kind::EditableCombo:
        return makeCombo(row, client);
    case Kind::LineEdit:
        return new QLineEdit(client);
    case Kind::PushButton: {
        auto *button = new QPushButton(row.caption, client);
        button->setIconSize(QSize(32, 32));
        return button;
    }
    case Kind::ActionChannel: {
        auto *channel = new QLineEdit(client);
        channel->setFocusPolicy(Qt::NoFocus);
        return channel;
    }
    }
    return nullptr;
}

void place(QWidget *widget, const Control &row)
{
    if (row.kind != Kind::Label) {
        widget->setGeometry(row.rect);
        return;
    }
    widget->move(row.rect.topLeft());
    widget->adjustSize();
    widget->resize(row.rect.width() > 0 ? row.rect.width() : widget->width(),
                   row.rect.height() > 0 ? row.rect.height() : widget->height());
}

void finish(QWidget *widget, const Control &row)
{
    if (!row.toolTip.isEmpty())
        widget->setToolTip(row.toolTip);
    if (!row.accessibleName.isEmpty())
        widget->setAccessibleName(row.accessibleName);
    if (row.bold) {
        QFont bold = widget->font();
        bold.setBold(true);
        widget->setFont(bold);
    }
    if (row.kind == Kind::Picture && !row.picture.isEmpty())
        static_cast<QLabel *>(widget)->setPixmap(Artwork::icon(row.picture).pixmap(row.rect.size()));
}

template<typename T> T *child(const QWidget *client, const QString &name)
{
    return client->findChild<T *>(name, Qt::FindDirectChildrenOnly);
}

} // namespace

QList<QComboBox *> MainWindowControls::settingsBoxes() const
{
    return {formatCombo,       sampleRateCombo, audioBitrateCombo, sizeCombo,
            videoBitrateCombo, frameRateCombo,  channelCombo};
}

QList<QToolButton *> MainWindowControls::toolbarButtons() const
{
    return {addFileButton, addFolderButton, removeButton, optionsButton, exitButton};
}

MainWindowControls MainWindowLayout::build(QWidget *client, FileList *list)
{
    MainWindowControls c;
    const QList<Control> rows = table();
    for (const Control &row : rows) {
        QWidget *widget = makeControl(row, client, list);
        widget->setObjectName(row.name);
        place(widget, row);
        finish(widget, row);
        if (row.keep)
            row.keep(c, widget);
    }
    for (const Control &row : rows) {
        if (!row.buddy.isEmpty())
            child<QLabel>(client, row.name)->setBuddy(child<QWidget>(client, row.buddy));
    }

    // The decoration shows once start-up has run.
    c.cornerPicture->setVisible(false);
    // No format is chosen until start-up picks one, so that choice loads its defaults.
    c.formatCombo->setCurrentIndex(-1);
    return c;
}
