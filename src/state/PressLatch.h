#pragma once

// Keeps a quick press in sight of the per-frame update, which polls: a key
// or button reads as held from its press to its release, except that a
// press released before any update has polled it reads as held until one
// has. A click or a tap between two frames then still acts, once.
class PressLatch {
public:
    // `held` is the entry the update reads; the latch keeps only the timing.
    void press(bool& held)
    {
        held = true;
        unpolled_ = true;
        releasedEarly_ = false;
    }
    void release(bool& held)
    {
        if (unpolled_) releasedEarly_ = true;
        else held = false;
    }
    // An update has polled: a release held back for it takes effect now.
    void polled(bool& held)
    {
        if (releasedEarly_) held = false;
        unpolled_ = false;
        releasedEarly_ = false;
    }

private:
    bool unpolled_ = false;       // pressed since the last update
    bool releasedEarly_ = false;  // and released again before it
};
