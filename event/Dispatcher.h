// Dispatch of a module's messages by key (the message id). Host and plugins compile this
// header alike: the order of the virtual operations is shared.
#pragma once

#include <unordered_map>

#include "event/Function.h"
#include "event/ISender.h"
#include "event/NetMsg.h"

template <class Key, class Handler, class Trait>
class DispatcherBase {
public:
    DispatcherBase() = default;
    DispatcherBase(const DispatcherBase&) = default;
    DispatcherBase& operator=(const DispatcherBase&) = default;

    virtual ~DispatcherBase() {}
    // The first registration of a key wins: a second one is refused.
    virtual bool Register(Key key, Handler handler) { return handlers_.emplace(key, handler).second; }
    virtual bool Unregister(Key key) { return handlers_.erase(key) != 0; }
    // A copy of the key's handler, or an empty one.
    virtual Handler Find(Key key) {
        auto it = handlers_.find(key);
        return it == handlers_.end() ? Handler() : it->second;
    }
    virtual void UnregisterAll() { handlers_.clear(); }

    // Calls the handler of the message's key; a null sender or message, or a key without
    // handler, is dropped silently. The handler called is a copy, so it may unregister
    // itself or others.
    void operator()(ISender* sender, const NetMsg* msg) {
        if (!sender || !msg) return;
        Handler handler = Find(Trait::GetKey(msg));
        handler(sender, msg);
    }

    // Same keys, each with an equal handler. Not by iteration order: a hash table's copy may
    // iterate in another order than its original (libc++'s does), and a copy is equal to it.
    bool operator==(const DispatcherBase& other) const {
        if (handlers_.size() != other.handlers_.size()) return false;
        for (const auto& entry : handlers_) {
            auto found = other.handlers_.find(entry.first);
            if (found == other.handlers_.end() || !(entry.second == found->second)) return false;
        }
        return true;
    }

    size_t Size() const { return handlers_.size(); }

private:
    std::unordered_map<Key, Handler> handlers_;
};

using MsgHandler = zor::Function<void(ISender*, const NetMsg*)>;
using MsgDispatcher = DispatcherBase<unsigned short, MsgHandler, NetMsgTrait_MsgID>;
