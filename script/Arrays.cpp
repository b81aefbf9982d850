// The server's array commands. An array is its variable's elements 0 to the server's last index
// (127 on eAthena, 4294967294 on rAthena and Hercules); an element that is 0 (or "") does not
// exist, and an index outside the array stops the script. The commands work on the elements
// that exist, so a large array costs only what it holds.

#include "script/Machine.h"

#include <algorithm>
#include <charconv>

namespace script {
namespace {

bool IsStringName(const std::string& name)
{
    return !name.empty() && name.back() == '$';
}

TValue Empty(const std::string& name)
{
    return IsStringName(name) ? TValue::Of(std::string()) : TValue::Of(0);
}

} // namespace

// The array argument as the server takes it: `name` or `name[first]`.
TMachine::TVarRef TMachine::ArrayRef(const TArgs& a, std::size_t at, TFrame& f)
{
    if (a.size() <= at || a[at]->Kind != TExprKind::Identifier)
        Fault(CurrentName_ + ": an array variable expected");
    return Ref(*a[at], f);
}

std::vector<std::int64_t> TMachine::Elements(const TVarRef& array, TFrame& f, std::int64_t from)
{
    TVarRef first = array;
    first.Index = 0;
    std::string key;
    const std::map<std::string, TValue>& scope = Scope(first, f, key);
    std::vector<std::int64_t> found;
    if (from <= 0 && scope.count(key))
        found.push_back(0);
    const std::string prefix = key + "[";
    for (auto it = scope.lower_bound(prefix); it != scope.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        std::int64_t index = 0;
        const char* digits = it->first.data() + prefix.size();
        std::from_chars(digits, it->first.data() + it->first.size(), index);
        if (index >= from)
            found.push_back(index);
    }
    std::sort(found.begin(), found.end());
    return found;
}

void TMachine::Spend(std::int64_t steps)
{
    if (steps <= 0)
        return;
    Result_.Steps += static_cast<long>(std::min<std::int64_t>(steps, Setup_.StepBudget + 1));
    if (Result_.Steps > Setup_.StepBudget)
        Fault("the script ran " + std::to_string(Setup_.StepBudget) +
              " commands without ending (an array command this large?); the play stops here");
}

// setarray <array>[<first>],<value>...: every value is computed before the first is stored, the
// ones past the array's end too; a variable among them is read as its element is stored.
TValue TMachine::Setarray(const TArgs& a, TFrame& f)
{
    if (a.size() < 2)
        Fault("setarray: a variable and values expected");
    TVarRef ref = ArrayRef(a, 0, f);
    std::vector<std::pair<TValue, std::optional<TVarRef>>> values(a.size() - 1);
    for (std::size_t i = 1; i < a.size(); ++i)
        values[i - 1].first = Operand(*a[i], f, values[i - 1].second);
    for (std::size_t i = 0; i < values.size() && ref.Index <= Rules_.LastIndex; ++i, ++ref.Index)
        WriteRef(ref, Late(values[i].first, values[i].second, f), f);
    return TValue::Of(0);
}

// cleararray <array>[<first>],<value>,<count>
TValue TMachine::Cleararray(const TArgs& a, TFrame& f)
{
    if (a.size() < 3)
        Fault("cleararray: an array, a value and a count expected");
    TVarRef ref = ArrayRef(a, 0, f);
    const TValue value = Eval(*a[1], f);
    const std::int64_t count = std::min<std::int64_t>(EvalInt(*a[2], f), Rules_.LastIndex + 1 - ref.Index);
    Spend(count);
    for (std::int64_t i = 0; i < count; ++i, ++ref.Index)
        WriteRef(ref, value, f);
    return TValue::Of(0);
}

// getarraysize(<array>[<first>]): one past the last element that exists, counting from `first`
// (eAthena takes every element before it as there; the others count from 0 whatever it is).
TValue TMachine::Getarraysize(const TArgs& a, TFrame& f)
{
    const TVarRef ref = ArrayRef(a, 0, f);
    const std::int64_t first = Rules_.ArraySizeIgnoresIndex ? 0 : ref.Index;
    const std::vector<std::int64_t> elements = Elements(ref, f, first);
    return TValue::Of(elements.empty() ? first : elements.back() + 1);
}

// copyarray <to>[<i>],<from>[<j>],<count>: an overlap within one array copies from the back;
// elements past the source's end copy as 0 or "".
TValue TMachine::Copyarray(const TArgs& a, TFrame& f)
{
    if (a.size() < 3)
        Fault("copyarray: two arrays and a count expected");
    const TVarRef to = ArrayRef(a, 0, f);
    const TVarRef from = ArrayRef(a, 1, f);
    if (IsStringName(to.Name) != IsStringName(from.Name))
        Fault("copyarray: one array holds strings, the other numbers: the server stops the script");
    const std::int64_t count = std::min<std::int64_t>(EvalInt(*a[2], f), Rules_.LastIndex + 1 - to.Index);
    const bool same = SameLetters(to.Name, from.Name);
    if (count <= 0 || (same && to.Index == from.Index))
        return TValue::Of(0);
    Spend(count);
    const bool backwards = same && to.Index > from.Index;
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t i = backwards ? count - 1 - k : k;
        TVarRef source = from, target = to;
        source.Index += i;
        target.Index += i;
        WriteRef(target, source.Index <= Rules_.LastIndex ? ReadRef(source, f) : Empty(to.Name), f);
    }
    return TValue::Of(0);
}

// deletearray <array>[<first>]{,<count>}: the elements after the deleted ones move down; without
// a count everything from `first` goes.
TValue TMachine::Deletearray(const TArgs& a, TFrame& f)
{
    TVarRef ref = ArrayRef(a, 0, f);
    const std::int64_t start = ref.Index;
    std::int64_t count = Rules_.LastIndex + 1 - start;
    if (a.size() > 1) {
        count = std::min<std::int64_t>(EvalInt(*a[1], f), count);
        if (count <= 0)
            return TValue::Of(0);
    }
    const std::vector<std::int64_t> elements = Elements(ref, f, start);
    std::vector<std::pair<std::int64_t, TValue>> moved;
    for (const std::int64_t index : elements) {
        ref.Index = index;
        if (index >= start + count)
            moved.emplace_back(index - count, ReadRef(ref, f));
        WriteRef(ref, Empty(ref.Name), f);
    }
    for (auto& [index, value] : moved) {
        ref.Index = index;
        WriteRef(ref, std::move(value), f);
    }
    return TValue::Of(0);
}

// getelementofarray(<array>,<index>) is <array>[<index>].
TValue TMachine::Getelementofarray(const TArgs& a, TFrame& f)
{
    if (a.size() < 2 || a[0]->Kind != TExprKind::Identifier)
        Fault("getelementofarray: an array and an index expected");
    TVarRef ref = ArrayRef(a, 0, f);
    ref.Index = EvalIndex(*a[1], f);
    CheckIndex(ref.Name, ref.Index);
    return ReadRef(ref, f);
}

} // namespace script
