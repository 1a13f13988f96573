// The order in which the list sort leaves its records.
#pragma once

#include <string_view>
#include <vector>

namespace epinax {

// The order that an exchange sort of the tails gives (for each i, for each
// j after i: exchange when tail j < tail i, unsigned bytes), as a permutation:
// result[k] is the original index of the record that ends at position k.
// Computed in about n log n: distinct tails are simply sorted, and the order
// that the exchanges leave among equal tails is derived from where the
// strictly smaller tails stand.
std::vector<int> ExchangeSortOrder(const std::vector<std::string_view>& tails);

// The exchange loop itself, n²/2 comparisons; for checking the above.
std::vector<int> ExchangeSortOrderByLoop(const std::vector<std::string_view>& tails);

}  // namespace epinax
