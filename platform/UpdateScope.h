#pragma once
// Keeps a BeginUpdate/EndUpdate pair balanced, also when the work between them throws: a view
// left in a bulk update would never show the tree or list again.

template <class T>
class TUpdateScope {
public:
    explicit TUpdateScope(T& target) : Target_(target) { Target_.BeginUpdate(); }
    ~TUpdateScope() { Target_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T& Target_;
};
