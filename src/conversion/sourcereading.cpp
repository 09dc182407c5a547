#include "conversion/sourcereading.h"

#include "conversion/outputcheck.h"
#include "conversion/stageverdict.h"
#include "runner/toolphrases.h"

namespace SourceReading {

bool reportsChecksumError(const QString &decoderOutput)
{
    return ToolPhrases::saysAny(decoderOutput, ToolPhrases::ChecksumFailed);
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
