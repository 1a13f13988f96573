#include "entry/Sort.h"

#include <algorithm>
#include <deque>
#include <numeric>

namespace epinax {

namespace {

bool Less(std::string_view a, std::string_view b)
{
    return a < b;  // std::char_traits<char>::compare is memcmp: unsigned bytes
}

// Counts, among the positions inserted so far, those inside an open range.
class PositionCounter {
public:
    explicit PositionCounter(int size) : tree_(size + 1, 0) {}
    void Insert(int position)
    {
        for (int i = position + 1; i < static_cast<int>(tree_.size()); i += i & -i) ++tree_[i];
    }
    // Inserted positions p with from < p < to.
    int CountBetween(int from, int to) const { return Prefix(to) - Prefix(from + 1); }

private:
    int Prefix(int end) const  // positions below `end`
    {
        int sum = 0;
        for (int i = end; i > 0; i -= i & -i) sum += tree_[i];
        return sum;
    }
    std::vector<int> tree_;
};

// The exchanges never compare equal tails with each other; a member of a
// group of equal tails moves only when a strictly smaller tail at a later
// position takes its place, and the member then standing foremost goes to
// that position. So the group's members pass through a queue: each member
// joins it when the sweep reaches its original position, and each smaller
// record that the sweep meets sends the front member to the back.
void OrderEqualTails(std::vector<int>& group, const PositionCounter& smaller, int n)
{
    std::deque<int> queue;
    for (size_t m = 0; m < group.size(); ++m) {
        queue.push_back(group[m]);
        int next = m + 1 < group.size() ? group[m + 1] : n;
        int passes = smaller.CountBetween(group[m], next) % static_cast<int>(queue.size());
        std::rotate(queue.begin(), queue.begin() + passes, queue.end());
    }
    group.assign(queue.begin(), queue.end());
}

}  // namespace

std::vector<int> ExchangeSortOrder(const std::vector<std::string_view>& tails)
{
    const int n = static_cast<int>(tails.size());
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        int c = tails[a].compare(tails[b]);
        return c != 0 ? c < 0 : a < b;
    });

    PositionCounter smaller(n);
    std::vector<int> group;
    for (int start = 0; start < n;) {
        int end = start + 1;
        while (end < n && tails[order[end]] == tails[order[start]]) ++end;
        if (end - start > 1) {
            group.assign(order.begin() + start, order.begin() + end);
            OrderEqualTails(group, smaller, n);
            std::copy(group.begin(), group.end(), order.begin() + start);
        }
        // Only now do these count as smaller, for the groups that follow.
        for (int k = start; k < end; ++k) smaller.Insert(order[k]);
        start = end;
    }
    return order;
}

std::vector<int> ExchangeSortOrderByLoop(const std::vector<std::string_view>& tails)
{
    std::vector<int> order(tails.size());
    std::iota(order.begin(), order.end(), 0);
    for (size_t i = 0; i < order.size(); ++i)
        for (size_t j = i + 1; j < order.size(); ++j)
            if (Less(tails[order[j]], tails[order[i]])) std::swap(order[i], order[j]);
    return order;
}

}  // namespace epinax
