// The server's array commands. An array is its variable's elements 0..127; an element that is 0
// (or "") does not exist, and an index outside the array stops the script.

#include "script/Machine.h"

#include <algorithm>

namespace script {
namespace {

bool IsStringName(const std::string& name)
{
    return !name.empty() && name.back() == '$';
}

} // namespace

// The array argument as the server takes it: `name` or `name[first]`.
TMachine::TVarRef TMachine::ArrayRef(const TArgs& a, std::size_t at, TFrame& f)
{
    if (a.size() <= at || a[at]->Kind != TExprKind::Identifier)
        Fault(CurrentName_ + ": an array variable expected");
    return Ref(*a[at], f);
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
    for (std::size_t i = 0; i < values.size() && ref.Index < ArraySize; ++i, ++ref.Index)
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
    const std::int32_t count = EvalInt(*a[2], f);
    for (std::int32_t i = 0; i < count && ref.Index < ArraySize; ++i, ++ref.Index)
        WriteRef(ref, value, f);
    return TValue::Of(0);
}

// getarraysize(<array>[<first>]): one past the last element that exists, counting from `first`
// (the server takes every element before it as there).
TValue TMachine::Getarraysize(const TArgs& a, TFrame& f)
{
    TVarRef ref = ArrayRef(a, 0, f);
    std::int32_t size = ref.Index;
    for (std::int32_t i = ref.Index; i < ArraySize; ++i) {
        ref.Index = i;
        const TValue value = ReadRef(ref, f);
        if (value.IsString ? !value.Str.empty() : value.Int != 0)
            size = i + 1;
    }
    return TValue::Of(size);
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
    std::int32_t count = std::min(EvalInt(*a[2], f), ArraySize - to.Index);
    const bool same = SameLetters(to.Name, from.Name);
    if (count <= 0 || (same && to.Index == from.Index))
        return TValue::Of(0);
    const bool backwards = same && to.Index > from.Index;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t i = backwards ? count - 1 - k : k;
        TVarRef source = from, target = to;
        source.Index += i;
        target.Index += i;
        const TValue value = source.Index < ArraySize ? ReadRef(source, f)
                             : IsStringName(to.Name) ? TValue::Of(std::string())
                                                      : TValue::Of(0);
        WriteRef(target, value, f);
    }
    return TValue::Of(0);
}

// deletearray <array>[<first>]{,<count>}: the elements after the deleted ones move down; without
// a count everything from `first` goes.
TValue TMachine::Deletearray(const TArgs& a, TFrame& f)
{
    TVarRef ref = ArrayRef(a, 0, f);
    std::int32_t start = ref.Index;
    if (a.size() > 1) {
        const std::int32_t count = std::min(EvalInt(*a[1], f), ArraySize - start);
        if (count <= 0)
            return TValue::Of(0);
        for (; start + count < ArraySize; ++start) {
            TVarRef source = ref;
            source.Index = start + count;
            const TValue value = ReadRef(source, f);
            ref.Index = start;
            WriteRef(ref, value, f);
        }
    }
    const TValue empty = IsStringName(ref.Name) ? TValue::Of(std::string()) : TValue::Of(0);
    for (ref.Index = start; ref.Index < ArraySize; ++ref.Index)
        WriteRef(ref, empty, f);
    return TValue::Of(0);
}

// getelementofarray(<array>,<index>) is <array>[<index>].
TValue TMachine::Getelementofarray(const TArgs& a, TFrame& f)
{
    if (a.size() < 2 || a[0]->Kind != TExprKind::Identifier)
        Fault("getelementofarray: an array and an index expected");
    TVarRef ref = ArrayRef(a, 0, f);
    ref.Index = EvalInt(*a[1], f);
    CheckIndex(ref.Name, ref.Index);
    return ReadRef(ref, f);
}

} // namespace script
