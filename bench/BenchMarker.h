#pragma once
// Written by the generator when an installation is done; the benchmarks make one of another
// version anew.
namespace lobrix::bench {

inline constexpr char GeneratedMarker[] = "generated.txt";
inline constexpr char GeneratedVersion[] = "2: visits, badges, master records, pre-registrations";

} // namespace lobrix::bench
