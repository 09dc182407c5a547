#include "conversion/sourcereading.h"

#include "conversion/outputcheck.h"
#include "conversion/stageverdict.h"

namespace SourceReading {

bool reportsChecksumError(const QString &decoderOutput)
{
    static const QLatin1StringView marks[] = {
        // libFLAC: a frame's own checksum, or its header's, fails.
        QLatin1StringView("FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH"),
        QLatin1StringView("FLAC__STREAM_DECODER_ERROR_STATUS_BAD_HEADER"),
        // ffmpeg's FLAC decoder, the same two checks.
        QLatin1StringView("CRC error at PTS"),
        QLatin1StringView("header crc mismatch"),
    };
    for (const QLatin1StringView mark : marks) {
        if (decoderOutput.contains(mark))
            return true;
    }
    return false;
}

Verdict afterEncode(const Lengths &lengths, const std::optional<CutRange> &cut)
{
    const auto madeSome = [](const std::optional<double> &seconds) { return seconds && *seconds > 0; };
    const bool decoded = madeSome(lengths.decoded);
    const bool encoded = madeSome(lengths.encoded);
    // With no length declared, the reference decoder's reading is the longer one whenever the
    // encode's falls short of it.
    const std::optional<double> source = lengths.declared ? lengths.declared : lengths.decoded;
    const std::optional<double> expected = OutputCheck::expectedSeconds(source, cut);
    if (encoded && (!expected || *lengths.encoded >= *expected - OutputCheck::SlackSeconds))
        return Verdict::EncodeStands;
    if (decoded && (!lengths.declared || *lengths.decoded >= *lengths.declared - OutputCheck::SlackSeconds))
        return Verdict::EncodeTheDecode;
    return decoded || encoded ? Verdict::Damaged : Verdict::Undecodable;
}

std::optional<FileFailure> decodeProblem(const QString &decoderOutput)
{
    if (StageVerdict::mentionsFullDisk(decoderOutput))
        return FileFailure{FileFailure::Kind::DiskFull, {}};
    if (reportsChecksumError(decoderOutput))
        return FileFailure{FileFailure::Kind::DamagedSource, {}};
    return std::nullopt;
}

} // namespace SourceReading
