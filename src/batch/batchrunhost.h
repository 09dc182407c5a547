#pragma once

#include "batch/batchoptions.h"
#include "conversion/conversionrun.h"
#include "platform/appdirs.h"

// The run's window side in tunoxa-batch: the settings come from the command line, and there are
// no controls to take away or give back.
class BatchRunHost final : public RunHost
{
public:
    explicit BatchRunHost(const BatchOptions &options)
        : m_options(options)
    {}

    int formatPosition() const override { return FormatTable::positionOf(m_options.format); }
    EncodingSettings encodingSettings() const override { return m_options.encoding; }
    QString outputFolderText() const override { return m_options.outputFolder; }
    void setOutputFolderText(const QString &) override {}
    void setRunControlsEnabled(bool) override {}
    void showDropZone() override {}
    QString programFolder() const override { return AppDirs::programFolder(); }

private:
    const BatchOptions m_options;
};
