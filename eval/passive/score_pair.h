// A running middle-game and end-game score: the two halves travel
// together through every term so they cannot drift apart.
#pragma once

namespace passive {

struct Pair {
  int mid = 0;
  int end = 0;

  Pair& operator+=(Pair other) {
    mid += other.mid;
    end += other.end;
    return *this;
  }
  Pair& operator-=(Pair other) {
    mid -= other.mid;
    end -= other.end;
    return *this;
  }
  friend Pair operator+(Pair a, Pair b) { return a += b; }
  friend Pair operator-(Pair a, Pair b) { return a -= b; }
  friend Pair operator*(int k, Pair a) { return {k * a.mid, k * a.end}; }
};

// White's view of a side's own-view amount.
inline Pair ForWhite(int side, Pair p) { return side ? p : Pair{-p.mid, -p.end}; }

// The blend of the two halves by a phase of 0 (all middle game) to 255.
inline int Blend(Pair p, int phase) { return ((p.end - p.mid) * phase + p.mid * 256) >> 8; }

}  // namespace passive
