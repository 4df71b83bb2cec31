// One channel's filters: the low cut and the main and companion filter of
// each of the four bands, with the order the equaliser runs them in.
#pragma once

#include "engine/Filter.h"

struct EqChannel {
    static constexpr int kChainLength = 8;
    static constexpr int kFilterCount = 9;

    // Construction types are those the band updates expect to find before
    // they first set a filter.
    EqChannel()
        : lowCut(88200.0, Filter::kHighPass, 1000.0, 1.0, 0.0),
          lfMain(88200.0, Filter::kLowShelf, 1000.0, 1.0, 0.0),
          lfComp(88200.0, Filter::kHighPass, 1000.0, 1.0, 0.0),
          lmfMain(88200.0, Filter::kPeaking, 1000.0, 1.0, 0.0),
          lmfComp(88200.0, Filter::kWire, 1000.0, 1.0, 0.0),
          hmfMain(88200.0, Filter::kPeaking, 1000.0, 1.0, 0.0),
          hmfComp(88200.0, Filter::kPeaking, 1000.0, 1.0, 0.0),
          hfMain(88200.0, Filter::kHighShelf, 1000.0, 1.0, 0.0),
          hfComp(88200.0, Filter::kWire, 1000.0, 1.0, 0.0)
    {
    }

    // The equaliser's order: the LMF companion comes last. Tables of
    // members, so no array of pointers is built on every call.
    Filter* chain(int i)
    {
        static constexpr Filter EqChannel::*order[kChainLength] = {
            &EqChannel::lfMain,  &EqChannel::lfComp, &EqChannel::lmfMain, &EqChannel::hmfMain,
            &EqChannel::hmfComp, &EqChannel::hfMain, &EqChannel::hfComp,  &EqChannel::lmfComp};
        return &(this->*order[i]);
    }

    Filter* all(int i) { return &(this->*member(i)); }
    const Filter* all(int i) const { return &(this->*member(i)); }
    static Filter EqChannel::*member(int i)
    {
        static constexpr Filter EqChannel::*every[kFilterCount] = {
            &EqChannel::lowCut,  &EqChannel::lfMain,  &EqChannel::lfComp, &EqChannel::lmfMain, &EqChannel::lmfComp,
            &EqChannel::hmfMain, &EqChannel::hmfComp, &EqChannel::hfMain, &EqChannel::hfComp};
        return every[i];
    }

    // Runs the eight band filters over n samples, each filter over the
    // whole buffer before the next.
    void processBands(double* buffer, int n)
    {
        for (int i = 0; i < kChainLength; ++i)
            chain(i)->processFrame(buffer, n);
    }

    Filter lowCut;
    Filter lfMain;
    Filter lfComp;
    Filter lmfMain;
    Filter lmfComp;
    Filter hmfMain;
    Filter hmfComp;
    Filter hfMain;
    Filter hfComp;
};
