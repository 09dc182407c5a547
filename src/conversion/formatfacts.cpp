#include "conversion/formatfacts.h"

#include <QtGlobal>

#include <array>

namespace {

// conv writes the intermediate: MPEG-4 video at 1200 kbit/s and MP3 audio in AVI, whatever the settings.
constexpr StageFacts toIntermediate{
    StageKind::Conv,
    ToolName::conv,
    StageFile::Input,
    StageFile::Intermediate,
    u"-oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi",
    {}};

// The original-size piece fixes its rates and has two blanks after "-f rm"; tools do not mind.
constexpr StageFacts realMediaFromIntermediate{
    StageKind::Coder,
    ToolName::coder,
    StageFile::Intermediate,
    StageFile::Output,
    u"-vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2",
    u"-s {size} -vcodec rv10 -b {videoBitrate}k -f rm -ar {sampleRate} -ab {audioBitrate}k -ac {channels}"};

constexpr StageFacts movFromIntermediate{StageKind::Coder,
                                         ToolName::coder,
                                         StageFile::Intermediate,
                                         StageFile::Output,
                                         u"-ac 2 -ar 48000 -ab 128k",
                                         u"-s {size} -ac 2 -ar 48000 -ab 128k"};

// Phones want a small frame: the original-size variant still scales to 320x240.
constexpr StageFacts phoneFromIntermediate{
    StageKind::Coder,
    ToolName::coder2,
    StageFile::Intermediate,
    StageFile::Output,
    u"-s 320x240 -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k",
    u"-s {size} -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k"};

constexpr StageFacts realMediaStages[] = {toIntermediate, realMediaFromIntermediate};
constexpr StageFacts movStages[] = {toIntermediate, movFromIntermediate};
constexpr StageFacts phoneStages[] = {toIntermediate, phoneFromIntermediate};

// MPG and AVI share one recipe; conv picks the container from the extension.
constexpr StageFacts mpegStages[] = {
    {StageKind::Conv,
     ToolName::conv,
     StageFile::Input,
     StageFile::Output,
     u"-oac lavc -lavcopts acodec=mp2:abitrate={audioBitrate} -ovc lavc -lavcopts "
     u"vcodec=mpeg1video:vbitrate={videoBitrate}:vpass=1 -ofps {frameRate} -of lavf -lavfopts "
     u"format=yuv4mpeg",
     {}}};

// HD MP4: the audio bitrate box gives the LAME preset.
constexpr StageFacts hdMp4Stages[] = {
    {StageKind::Conv,
     ToolName::conv,
     StageFile::Input,
     StageFile::Output,
     u"-oac mp3lame -lameopts preset={audioBitrate} -ovc lavc -lavcopts vcodec=mpeg4:vbitrate={videoBitrate} "
     u"-of avi",
     {}}};

// MP3: sox decodes the input to the probe wav, coder prints its duration (naming no output), and
// coder encodes the input itself. A kept cover (library mode) is copied as it is into a picture of
// the ID3v2.3 tag that the library's mark asks for, which players read. ffmpeg checks each FLAC frame's
// checksum only when asked to, and a damaged frame otherwise decodes silently into noise.
constexpr StageFacts mp3Stages[] = {
    {StageKind::Sox, ToolName::sox, StageFile::Input, StageFile::ProbeWav, {}, {}},
    {StageKind::Coder, ToolName::coder, StageFile::ProbeWav, StageFile::None, {}, {}},
    {StageKind::Coder,
     ToolName::coder,
     StageFile::Input,
     StageFile::Output,
     u"-vn -ar {sampleRate} -ab {audioBitrate}k -ac {channels}",
     {},
     u"-map 0:a -map 0:v? -c:v copy -disposition:v attached_pic -ar {sampleRate} -ab {audioBitrate}k "
     u"-ac {channels}",
     u"-err_detect crccheck",
     u"-map 0:a -map 1:v -c:v copy -disposition:v attached_pic -metadata:s:v \"comment=Cover (front)\" "
     u"-ar {sampleRate} -ab {audioBitrate}k -ac {channels}",
     u"-ar {sampleRate} -ab {audioBitrate}k -ac {channels}"}};

// The other audio formats: the encoder reads the source itself, in one stage. Their muxers place the
// audio by its timestamps, which a FLAC without a stream header at its start gets wrong: they are
// counted from the samples instead. Ogg holds no picture
// stream: its cover, like the library's mark, comes as a comment through a metadata file. MP4 keeps a
// cover as MP3 does.
constexpr StageFacts opusStages[] = {
    {StageKind::Coder,
     ToolName::coder,
     StageFile::Input,
     StageFile::Output,
     u"-vn -af asetpts=N/SR/TB -c:a libopus -ar 48000 -b:a {audioBitrate}k -ac {channels}",
     {},
     {},
     u"-err_detect crccheck"}};

constexpr StageFacts aacStages[] = {
    {StageKind::Coder,
     ToolName::coder,
     StageFile::Input,
     StageFile::Output,
     u"-vn -af asetpts=N/SR/TB -c:a aac -ar {sampleRate} -b:a {audioBitrate}k -ac {channels}",
     {},
     u"-map 0:a -map 0:v? -c:v copy -disposition:v attached_pic -af asetpts=N/SR/TB -c:a aac -ar "
     u"{sampleRate} -b:a "
     u"{audioBitrate}k -ac {channels}",
     u"-err_detect crccheck",
     u"-map 0:a -map 1:v -c:v copy -disposition:v attached_pic -af asetpts=N/SR/TB -c:a aac -ar {sampleRate} "
     u"-b:a "
     u"{audioBitrate}k -ac {channels}"}};

constexpr StageFacts vorbisStages[] = {
    {StageKind::Coder,
     ToolName::coder,
     StageFile::Input,
     StageFile::Output,
     u"-vn -af asetpts=N/SR/TB -c:a libvorbis -ar {sampleRate} -b:a {audioBitrate}k -ac {channels}",
     {},
     {},
     u"-err_detect crccheck"}};

constexpr int opusRates[] = {48000};
constexpr int vorbisRates[] = {44100, 48000};
constexpr int aacRates[] = {8000,  11025, 12000, 16000, 22050, 24000,
                            32000, 44100, 48000, 64000, 88200, 96000};
constexpr AudioLimits opusLimits{u"Opus", 64, 256, opusRates};
constexpr AudioLimits aacLimits{u"AAC", 96, 320, aacRates};
constexpr AudioLimits vorbisLimits{u"Ogg Vorbis", 96, 320, vorbisRates};

// Defaults in the order the boxes are written: videoBitrateCombo, frameRateCombo, sizeCombo,
// sampleRateCombo, audioBitrateCombo, channelCombo position. Several ("1200", "24", "28000") are
// not list entries; the boxes show them as typed text.
constexpr DefaultFacts realMediaDefaults{u"1200", u"29", originalSizeText, u"44100", u"320", 1};
constexpr DefaultFacts mpegDefaults{u"600", u"24", originalSizeText, u"28000", u"64", 1};
constexpr DefaultFacts hdMp4Defaults{u"1200", u"29", originalSizeText, u"48000", u"320", 1};
constexpr DefaultFacts movDefaults{u"256", u"29", originalSizeText, u"48000", u"64", 1};
constexpr DefaultFacts phoneDefaults{u"128", u"29", u"320x240", u"8000", u"12.2", 0};
// Audio only: the video boxes keep whatever they show.
constexpr DefaultFacts mp3Defaults{{}, {}, {}, u"48000", u"320", 1};
constexpr DefaultFacts opusDefaults{{}, {}, {}, u"48000", u"160", 1};
constexpr DefaultFacts aacDefaults{{}, {}, {}, u"44100", u"256", 1};
constexpr DefaultFacts vorbisDefaults{{}, {}, {}, u"44100", u"192", 1};

// In selector order.
constexpr std::array<FormatFacts, FormatTable::formatCount> formats{{
    {OutputFormat::Rmvb, QT_TRANSLATE_NOOP("FormatTable", "RMVB(RealPlayerRMVB)"), u"rmvb", u".rmvb", u'-',
     realMediaDefaults, realMediaStages},
    {OutputFormat::Rm, QT_TRANSLATE_NOOP("FormatTable", "RM(RealPlayerRM)"), u"rm", u".rm", u'-',
     realMediaDefaults, realMediaStages},
    {OutputFormat::Mpg, QT_TRANSLATE_NOOP("FormatTable", "MPG(MPEG2)"), u"mpg", u".mpg", u'-', mpegDefaults,
     mpegStages},
    {OutputFormat::Avi, QT_TRANSLATE_NOOP("FormatTable", "AVI(Windows Media Player格式)"), u"avi", u".avi",
     u'-', mpegDefaults, mpegStages},
    {OutputFormat::HdMp4, QT_TRANSLATE_NOOP("FormatTable", "MP4(高清MPEG4格式)"), u"mp4hd", u".mp4", u'-',
     hdMp4Defaults, hdMp4Stages},
    {OutputFormat::Mov, QT_TRANSLATE_NOOP("FormatTable", "MOV(QuickTime格式)"), u"mov", u".mov", u'-',
     movDefaults, movStages},
    {OutputFormat::MobileMp4, QT_TRANSLATE_NOOP("FormatTable", "MP4(手机MP4格式)"), u"mp4mobile", u".mp4",
     u'-', phoneDefaults, phoneStages},
    {OutputFormat::ThreeGp, QT_TRANSLATE_NOOP("FormatTable", "3GP(手机3GP格式)"), u"3gp", u".3gp", u'-',
     phoneDefaults, phoneStages},
    {OutputFormat::Mp3, QT_TRANSLATE_NOOP("FormatTable", "MP3(纯音频格式)"), u"mp3", u".mp3", u'_',
     mp3Defaults, mp3Stages, AudioContainer::Mp3},
    {OutputFormat::Opus, QT_TRANSLATE_NOOP("FormatTable", "Opus(手机，体积小)"), u"opus", u".opus", u'_',
     opusDefaults, opusStages, AudioContainer::Ogg, opusLimits},
    {OutputFormat::Aac, QT_TRANSLATE_NOOP("FormatTable", "AAC(M4A，苹果设备)"), u"aac", u".m4a", u'_',
     aacDefaults, aacStages, AudioContainer::Mp4, aacLimits},
    {OutputFormat::Vorbis, QT_TRANSLATE_NOOP("FormatTable", "Ogg Vorbis"), u"vorbis", u".ogg", u'_',
     vorbisDefaults, vorbisStages, AudioContainer::Ogg, vorbisLimits},
}};

constexpr bool rowsInSelectorOrder()
{
    for (int position = 0; position < FormatTable::formatCount; ++position) {
        if (FormatTable::positionOf(formats[position].format) != position)
            return false;
    }
    return true;
}
static_assert(rowsInSelectorOrder(), "a row's place in the table is its selector position");

} // namespace

namespace FormatTable {

const FormatFacts &facts(OutputFormat format)
{
    return formats[positionOf(format)];
}

} // namespace FormatTable
