#pragma once
// Callbacks that windows register with the main window and take back when they close; the
// main window calls them in the order they came. Empty, they cost one test.

#include <functional>
#include <utility>
#include <vector>

namespace zentor {

template <class... Args>
class Listeners {
public:
    using Callback = std::function<void(Args...)>;
    int add(Callback callback)
    {
        entries_.push_back({++lastId_, std::move(callback)});
        return lastId_;
    }
    void remove(int id) { std::erase_if(entries_, [id](const Entry& e) { return e.id == id; }); }
    bool empty() const { return entries_.empty(); }
    void notify(Args... args) const
    {
        // A listener may remove itself (or another) while it is called.
        const auto entries = entries_;
        for (const Entry& e : entries) e.callback(args...);
    }

private:
    struct Entry {
        int id;
        Callback callback;
    };
    std::vector<Entry> entries_;
    int lastId_ = 0;
};

}  // namespace zentor
