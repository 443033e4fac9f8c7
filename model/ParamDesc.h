#pragma once

#include <string>

namespace Tavo
{
/** The labels of the parameter tree, one per field, from which parameter
    names are composed. A product built on the same schema may relabel it. */
class ParamDescBase
{
public:
    virtual ~ParamDescBase() = default;

    virtual std::string globalParams() const = 0;
    virtual std::string isEnabled() const = 0;
    virtual std::string isLowFreqFocus() const = 0;
    virtual std::string group() const = 0;
    virtual std::string groupParams() const = 0;
    virtual std::string enableMode() const = 0;
    virtual std::string groupGain() const = 0;
    virtual std::string gain() const = 0;
    virtual std::string weight() const = 0;
    virtual std::string lookaheadBufferMs() const = 0;
};

/** Tavo's labels. */
class ParamDesc final : public ParamDescBase
{
public:
    std::string globalParams() const override { return "Global"; }
    std::string isEnabled() const override { return "Enabled"; }
    std::string isLowFreqFocus() const override { return "Low Freq Focus"; }
    std::string group() const override { return "Group"; }
    std::string groupParams() const override { return "Group"; }
    std::string enableMode() const override { return "Enable Mode"; }
    std::string groupGain() const override { return "Gain"; }
    std::string gain() const override { return "Gain"; }
    std::string weight() const override { return "Weight"; }
    std::string lookaheadBufferMs() const override { return "Lookahead Buffer ms"; }
};
} // namespace Tavo
