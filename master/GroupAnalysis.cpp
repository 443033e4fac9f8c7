#include "master/GroupAnalysis.h"

#include "master/BandAnalysis.h"
#include "master/SingleComplex.h"
#include "master/TavoMaster.h"
#include "model/ModelRules.h"
#include "processor/TavoAudioProcessor.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace Tavo
{
namespace
{
    using Complex = std::complex<float>;
    using namespace SingleComplex;

    constexpr int maxGroup = 64;
    constexpr int iterations = 21;
    const Complex turnSeed { 0.001f, 0.0f };
    constexpr float turnBias = 10.0f; // a group turns by at most asin(1/10) per iteration
    constexpr float pi = 3.14159265358979f;

    /** One track of the window, with what the analysis knows of it. */
    struct Track
    {
        TavoAudioProcessor* processor = nullptr;
        int group = 0;
        GroupEnableMode mode = GROUP_FULL;
        float gain = 0.0f;
        double weight = 100.0;
        int channels = 1;
        bool off = false;
        int row = -1;
        int groupIndex = 0;
        Complex phasor { 1.0f, 0.0f };
    };

    bool turnsTowardsOthers (GroupEnableMode mode) { return mode == GROUP_FULL || mode == GROUP_PHASE_LOCK; }
    bool alignsWithinGroup (GroupEnableMode mode) { return mode == GROUP_FULL || mode == GROUP_INTERNAL_ONLY; }

    std::vector<Track> selectTracks (const TavoMaster& master)
    {
        const auto windowEnd = std::int64_t (master.getAnalysisPosition()) + master.getHopSize();
        const auto& table = master.getGroupTable();
        std::vector<Track> tracks;

        for (auto* processor : master.registeredProcessors())
        {
            const auto captured = processor->processedEndSnapshot;

            if (! processor->isPrepared() || captured < windowEnd || captured == processor->processedEndAtResync.load())
                continue;

            const auto& seen = processor->lastSeenSet;
            Track track;
            track.processor = processor;

            // A group outside the schema's range can only be foreign state
            // that the load has not clamped yet: no group.
            track.group = seen.group() > 0 && seen.group() <= maxGroup ? seen.group() : 0;
            track.mode = size_t (track.group) < table.size() ? table[size_t (track.group)].enable_mode() : GROUP_FULL;
            track.gain = gainFromDecibels (static_cast<float> (seen.group_params().gain() + seen.gain()));
            track.weight = seen.weight();
            track.channels = std::clamp (processor->getNumCaptureChannels(), 1, 2);
            tracks.push_back (track);
        }

        return tracks;
    }

    void publishOffGroups (std::vector<Track>& tracks, std::int32_t position)
    {
        for (int group = 1; group <= maxGroup; ++group)
        {
            for (auto& track : tracks)
            {
                if (track.group == group && track.mode == GROUP_OFF)
                {
                    track.off = true;
                    track.processor->phaseResults.publish (position, 0.0f, 0.0f, pi);
                }
            }
        }
    }

    // Gives a row to every track with a sample at or above -80 dB after its gains.
    int assignRows (std::vector<Track>& tracks, std::int32_t position, int hopSize)
    {
        const auto gate = gainFromDecibels (-80.0f);
        int rows = 0;

        for (auto& track : tracks)
        {
            const auto threshold = track.gain == 0.0f ? std::numeric_limits<float>::infinity()
                                                      : static_cast<float> (double (gate) / double (track.gain));

            for (int c = 0; c < track.channels && track.row < 0; ++c)
            {
                const auto& ring = track.processor->captureRings[size_t (2 * c)];

                for (int t = 0; t < hopSize; ++t)
                {
                    if (std::abs (ring.at (static_cast<std::int32_t> (std::uint32_t (position) + std::uint32_t (t)))) >= threshold)
                    {
                        track.row = rows++;
                        break;
                    }
                }
            }
        }

        return rows;
    }

    struct Observations
    {
        Eigen::MatrixXcf x;
        std::vector<float> energy;
        std::vector<float> peak;
    };

    Observations observe (const std::vector<Track>& tracks, int rows, std::int32_t position, int hopSize)
    {
        const auto columns = std::int64_t (2) * hopSize;

        if (rows > 0 && columns * rows > std::numeric_limits<std::int32_t>::max())
            throw std::bad_alloc();

        Observations o { Eigen::MatrixXcf (rows, Eigen::Index (columns)), std::vector<float> (static_cast<size_t> (rows)),
                         std::vector<float> (static_cast<size_t> (rows)) };

        for (const auto& track : tracks)
        {
            if (track.row < 0)
                continue;

            float energy = 0.0f, largest = 0.0f;

            for (int c = 0; c < track.channels; ++c)
            {
                const auto& real = track.processor->captureRings[size_t (2 * c)];
                const auto& imaginary = track.processor->captureRings[size_t (2 * c + 1)];

                for (int t = 0; t < hopSize; ++t)
                {
                    const auto at = static_cast<std::int32_t> (std::uint32_t (position) + std::uint32_t (t));
                    const Complex z { track.gain * real.at (at), track.gain * imaginary.at (at) };
                    const auto power = squaredMagnitude (z);
                    const int copies = track.channels == 1 ? 2 : 1; // a mono row holds its samples twice

                    for (int copy = 0; copy < copies; ++copy)
                    {
                        o.x (track.row, (c + copy) * hopSize + t) = z;
                        energy += power;
                    }

                    largest = std::max (largest, power);
                }
            }

            o.energy[size_t (track.row)] = energy;
            o.peak[size_t (track.row)] = std::sqrt (largest);
        }

        return o;
    }

    // C = X times its conjugate transpose, using its Hermitian symmetry.
    Eigen::MatrixXcf correlate (const Eigen::MatrixXcf& x)
    {
        Eigen::MatrixXcf c = Eigen::MatrixXcf::Zero (x.rows(), x.rows());
        c.selfadjointView<Eigen::Lower>().rankUpdate (x);
        c.triangularView<Eigen::StrictlyUpper>() = c.adjoint();
        return c;
    }

    float weightFactor (double weight, float energy, float largestEnergy)
    {
        const auto b = static_cast<float> ((weight - 100.0) / 900.0);

        if (b == 0.0f)
            return 1.0f;

        const auto e = b > 0.5f ? b : 0.5f;
        const auto ratio = static_cast<float> (double (largestEnergy) / double (energy));
        const auto logRatio = static_cast<float> (std::log (double (ratio)));
        auto boost = static_cast<float> (std::exp (double (static_cast<float> (double (e) * logRatio))));

        if (! (boost < 100.0f))
            boost = 100.0f;

        const auto extra = b <= 0.5f ? 1.0f : gainFromDecibels (static_cast<float> ((double (b) - 0.5) * 40.0));
        return static_cast<float> (double (extra) * double (boost));
    }

    void applyWeights (Eigen::MatrixXcf& c, const std::vector<Track>& tracks, const std::vector<float>& energy)
    {
        if (energy.empty())
            return;

        const auto largest = *std::max_element (energy.begin(), energy.end());
        std::vector<float> factor (energy.size(), 1.0f);

        for (const auto& track : tracks)
            if (track.row >= 0)
                factor[size_t (track.row)] = weightFactor (track.weight, energy[size_t (track.row)], largest);

        for (Eigen::Index r = 0; r < c.rows(); ++r)
        {
            for (Eigen::Index s = 0; s < c.cols(); ++s)
            {
                const auto w = static_cast<float> (double (factor[size_t (r)]) * double (factor[size_t (s)]));
                c (r, s) = Complex (c (r, s).real() * w, c (r, s).imag() * w);
            }
        }
    }

    std::vector<bool> quietRows (const std::vector<float>& peak)
    {
        std::vector<bool> quiet (peak.size(), false);

        if (peak.empty())
            return quiet;

        const auto largest = *std::max_element (peak.begin(), peak.end());
        const auto floor = static_cast<float> (double (largest) * double (gainFromDecibels (-20.0f)));

        for (size_t r = 0; r < peak.size(); ++r)
            quiet[r] = floor > peak[r];

        return quiet;
    }

    int assignGroupIndices (std::vector<Track>& tracks, int tableSize)
    {
        int next = tableSize; // each group-0 track is a group of its own

        for (auto& track : tracks)
            track.groupIndex = track.group != 0 ? track.group : next++;

        return next;
    }

    void iterate (std::vector<Track>& tracks, const Eigen::MatrixXcf& c, const std::vector<bool>& quiet, int numGroupIndices)
    {
        std::vector<Complex> turn (static_cast<size_t> (numGroupIndices));
        std::vector<double> pull (static_cast<size_t> (numGroupIndices)); // the sizes of the turn's parts
        std::vector<Complex> next (tracks.size());

        for (int iteration = 0; iteration < iterations; ++iteration)
        {
            std::fill (turn.begin(), turn.end(), turnSeed);
            std::fill (pull.begin(), pull.end(), 0.0);

            for (size_t v = 0; v < tracks.size(); ++v)
            {
                const auto& V = tracks[v];

                if (V.off)
                {
                    next[v] = V.phasor;
                    continue;
                }

                next[v] = turnSeed;

                if (V.row < 0)
                    continue;

                const bool quietV = quiet[size_t (V.row)];
                const bool internalOn = alignsWithinGroup (V.mode);
                const bool externalOn = turnsTowardsOthers (V.mode);

                const bool turnsV = externalOn && ! quietV;
                auto& t = turn[size_t (V.groupIndex)];
                auto& tPull = pull[size_t (V.groupIndex)];
                const auto conjV = std::conj (V.phasor);

                for (const auto& X : tracks)
                {
                    if (X.off || X.row < 0)
                        continue;

                    const bool internal = internalOn && X.groupIndex == V.groupIndex;
                    const bool external = turnsV && ! quiet[size_t (X.row)] && turnsTowardsOthers (X.mode);

                    if (! internal && ! external)
                        continue;

                    const auto pulled = multiply (c (V.row, X.row), X.phasor);

                    if (internal)
                        next[v] = add (next[v], pulled);

                    if (external)
                    {
                        const auto part = multiply (pulled, conjV);
                        t = add (t, part);
                        tPull += std::abs (double (part.real())) + std::abs (double (part.imag()));
                    }
                }
            }

            for (size_t g = 0; g < turn.size(); ++g)
            {
                auto& t = turn[g];

                // Exactly opposite tracks (a polarity-inverted copy) cancel
                // every pull: an equilibrium the alignment must leave. Turn
                // such a group by the largest step, groups with odd and even
                // indices in opposite senses, so they part towards 180 degrees.
                if (pull[g] > 0.0 && std::abs (std::complex<double> (t) - std::complex<double> (turnSeed)) < 1e-6 * pull[g])
                    t = { 0.0f, g % 2 == 1 ? -1.0f : 1.0f };

                t = normalised (t);
                t = { static_cast<float> (double (t.real()) + turnBias), t.imag() };
            }

            for (size_t v = 0; v < tracks.size(); ++v)
                tracks[v].phasor = normalised (multiply (turn[size_t (tracks[v].groupIndex)], next[v]));
        }
    }

    void writePeerTable (Track& self, const std::vector<Track>& tracks, const Eigen::MatrixXcf& c, std::int64_t now)
    {
        auto& display = self.processor->display;
        const auto count = std::min<size_t> (tracks.size(), AnalysisDisplay::maxPeers);
        display.peerCount = static_cast<std::int32_t> (count);

        for (size_t x = 0; x < count; ++x)
        {
            const auto& peer = tracks[x];
            const auto correlation = self.row >= 0 && peer.row >= 0 ? c (self.row, peer.row) : Complex {};
            display.peers[x].correlation = correlation;
            display.peers[x].alignedCorrelation = multiply (multiply (correlation, peer.phasor), std::conj (self.phasor));
            display.peerInstance[x] = peer.processor->getInstanceNumber();
            display.peerEditorOpen[x] = peer.processor->isEditorOpen() ? 1 : 0;
            display.peerGroup[x] = peer.processor->lastSeenSet.group();
        }

        display.lastResultTime = now;

        // Only an open editor reads the display; it gets one consistent copy.
        if (self.processor->isEditorOpen())
            self.processor->displayForEditor.publish (display);
    }
} // namespace

void analyseWindow (TavoMaster& master)
{
    const auto position = master.getAnalysisPosition();
    const auto hopSize = master.getHopSize();
    const auto tableSize = static_cast<int> (master.getGroupTable().size());

    auto tracks = selectTracks (master);
    publishOffGroups (tracks, position);

    const auto rows = assignRows (tracks, position, hopSize);
    auto observations = observe (tracks, rows, position, hopSize);
    auto correlation = correlate (observations.x);
    applyWeights (correlation, tracks, observations.energy);
    const auto quiet = quietRows (observations.peak);
    const auto numGroupIndices = assignGroupIndices (tracks, tableSize);

    for (auto& track : tracks)
    {
        const auto angle = track.processor->phaseResults.newest().phase;
        track.phasor = { static_cast<float> (std::cos (double (angle))), static_cast<float> (std::sin (double (angle))) };
    }

    iterate (tracks, correlation, quiet, numGroupIndices);

    std::vector<BandTrack> bandTracks;

    for (const auto& track : tracks)
        bandTracks.push_back ({ track.processor, track.row, track.phasor, track.group });

    analyseBands (master.getBandBuffers(), bandTracks, observations.x, hopSize, master.getSampleRate(),
                  master.getEditorsOpen(), master.getGlobalParams().is_enabled());

    // Published a little before the window's start, where the delayed output
    // meets the middle of the analysed stretch's leading part.
    const auto lead = static_cast<std::int32_t> (std::floor (double (static_cast<float> (hopSize)) * 0.3 + 0.5));
    const auto due = static_cast<std::int32_t> (std::uint32_t (position) - std::uint32_t (lead));
    const auto now = juce::Time::currentTimeMillis();

    for (auto& track : tracks)
    {
        auto angle = static_cast<float> (std::atan2 (double (track.phasor.imag()), double (track.phasor.real())));

        if (std::isnan (angle))
            angle = 0.0f;

        track.processor->phaseResults.publish (due, angle, angle);
        writePeerTable (track, tracks, correlation, now);
    }
}
} // namespace Tavo
