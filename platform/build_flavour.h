// The three choices fixed when a program is built: search flavour,
// evaluation personality and word size. The build system defines exactly
// one macro of each group; everything else reads the constexpr values.
#pragma once

enum class Personality { Active, Passive, Inert };

#if defined(QUORVEL_MP)
inline constexpr bool BUILD_MP = true;
#else
inline constexpr bool BUILD_MP = false;
#endif

#if defined(QUORVEL_ACTIVE)
inline constexpr Personality BUILD_PERSONALITY = Personality::Active;
#elif defined(QUORVEL_PASSIVE)
inline constexpr Personality BUILD_PERSONALITY = Personality::Passive;
#elif defined(QUORVEL_INERT)
inline constexpr Personality BUILD_PERSONALITY = Personality::Inert;
#else
#error "one of QUORVEL_ACTIVE, QUORVEL_PASSIVE, QUORVEL_INERT must be defined"
#endif

#if defined(__x86_64__) || defined(_M_X64)
inline constexpr bool BUILD_64_BIT = true;
#else
inline constexpr bool BUILD_64_BIT = false;
#endif

// The libFuzzer build: thousands of short sessions run in one process, so
// searches are cut short and no session leaves a thread or a large table.
#if defined(QUORVEL_FUZZING)
inline constexpr bool BUILD_FUZZ = true;
#else
inline constexpr bool BUILD_FUZZ = false;
#endif

inline constexpr bool BUILD_ACTIVE = BUILD_PERSONALITY == Personality::Active;
inline constexpr bool BUILD_PASSIVE = BUILD_PERSONALITY == Personality::Passive;
inline constexpr bool BUILD_INERT = BUILD_PERSONALITY == Personality::Inert;
