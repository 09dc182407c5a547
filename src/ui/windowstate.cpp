#include "ui/windowstate.h"

#include "conversion/formattable.h"
#include "settings/setupfile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStandardItemModel>

namespace {

// Sets a settings box the way a typed or chosen value reads: an entry's text selects that entry,
// any other text stands as typed with no entry selected.
void setComboText(QComboBox *combo, const QString &text)
{
    const int entry = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0) {
        combo->setCurrentIndex(entry);
        return;
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

// The entry a settings box shows, as saved in setup.ini: -1 when its text is no entry.
int shownEntry(const QComboBox *combo)
{
    return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// A saved entry that names a position of the list; "-1" (no entry) would leave a settings box
// empty and the run without a value, so it is not applied either.
std::optional<int> entryToRestore(std::optional<int> saved, const QComboBox *combo)
{
    const std::optional<int> entry = SetupState::applicableIndex(saved, combo->count());
    return entry && *entry >= 0 ? entry : std::nullopt;
}

} // namespace

WindowState::WindowState(const MainWindowControls &controls, const QString &settingsFolder,
                         const QString &defaultOutputFolder, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_settingsFolder(settingsFolder)
    , m_defaultOutputFolder(defaultOutputFolder)
{
    connect(m_controls.formatCombo, &QComboBox::currentIndexChanged, this, &WindowState::loadFormatDefaults);
}

QString WindowState::setupIniPath() const
{
    return SetupFile::pathIn(m_settingsFolder);
}

void WindowState::restore()
{
    const StartupPositions start = FormatTable::startupPositions();
    m_controls.audioBitrateCombo->setCurrentIndex(start.audioBitrate);
    m_controls.sampleRateCombo->setCurrentIndex(start.sampleRate);
    m_controls.channelCombo->setCurrentIndex(start.channel);
    m_controls.formatCombo->setCurrentIndex(start.format);
    m_controls.outputFolderEdit->setText(m_defaultOutputFolder);

    // The format goes first: choosing it loads its defaults, and the saved values then go over
    // them. A value that does not fit its control leaves that control as it is; the rest still apply.
    const SetupState saved = SetupFile::read(setupIniPath());
    if (const auto entry = entryToRestore(saved.formatIndex, m_controls.formatCombo))
        m_controls.formatCombo->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.bitrateIndex, m_controls.audioBitrateCombo))
        m_controls.audioBitrateCombo->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.sampleRateIndex, m_controls.sampleRateCombo))
        m_controls.sampleRateCombo->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.channelIndex, m_controls.channelCombo))
        m_controls.channelCombo->setCurrentIndex(*entry);
    if (saved.outputFolder)
        m_controls.outputFolderEdit->setText(*saved.outputFolder);

    if (m_controls.outputFolderEdit->text().isEmpty())
        m_controls.outputFolderEdit->setText(m_defaultOutputFolder);
}

void WindowState::save()
{
    SetupState state;
    state.bitrateIndex = shownEntry(m_controls.audioBitrateCombo);
    state.sampleRateIndex = shownEntry(m_controls.sampleRateCombo);
    state.channelIndex = m_controls.channelCombo->currentIndex();
    state.outputFolder = m_controls.outputFolderEdit->text();
    state.formatIndex = m_controls.formatCombo->currentIndex();
    SetupFile::write(setupIniPath(), state);
}

void WindowState::offerSampleRates(OutputFormat format)
{
    // The rates the encoder refuses stay in the list, so that saved positions keep their meaning.
    const auto *entries = qobject_cast<QStandardItemModel *>(m_controls.sampleRateCombo->model());
    for (int row = 0; entries && row < entries->rowCount(); ++row)
        entries->item(row)->setEnabled(FormatTable::takesSampleRate(format, entries->item(row)->text()));
}

void WindowState::loadFormatDefaults()
{
    const std::optional<OutputFormat> format = FormatTable::formatAt(m_controls.formatCombo->currentIndex());
    if (!format)
        return;
    const FormatDefaults defaults = FormatTable::defaultsFor(*format);
    if (defaults.videoBitrate)
        setComboText(m_controls.videoBitrateCombo, *defaults.videoBitrate);
    if (defaults.frameRate)
        setComboText(m_controls.frameRateCombo, *defaults.frameRate);
    if (defaults.size)
        setComboText(m_controls.sizeCombo, *defaults.size);
    offerSampleRates(*format);
    setComboText(m_controls.sampleRateCombo, defaults.sampleRate);
    setComboText(m_controls.audioBitrateCombo, defaults.audioBitrate);
    m_controls.channelCombo->setCurrentIndex(defaults.channelIndex);
}
