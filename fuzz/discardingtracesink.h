#ifndef LIDORA_FUZZ_DISCARDINGTRACESINK_H
#define LIDORA_FUZZ_DISCARDINGTRACESINK_H

#include "Tracing/itracesink.h"

// Takes every telegram and drops it: switching tracing on makes a stream turn each fuzzed answer into
// telegram text, which is what the fuzz targets are after, not the text itself.
class DiscardingTraceSink : public NoxCore::Tracing::ITraceSink
{
public:
    bool trace(QString) override { return true; }
};

#endif
