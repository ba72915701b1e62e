/// Base of every object that receives messages: a message is looked up in the dispatch
/// tables of the object's class and its ancestors and, when asked, along a chain of objects.
#ifndef KOVA_FRAMEWORK_GUI_XGDISPATCH_H
#define KOVA_FRAMEWORK_GUI_XGDISPATCH_H

#include "framework/core/XGDynArray.h"

#include <cstdint>

namespace kova {

class XGDispatch;
class XGSend;

/// A message code written as four characters, the first in the most significant byte:
/// "stat" is 0x73746174.
constexpr std::int32_t KOVAMessageCode(const char (&code)[5])
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(code[i]);
    }
    return static_cast<std::int32_t>(value);
}

/// A handler's answer for a message it does not take: the search goes on.
inline constexpr std::int32_t kDispatchDeclined = -1;
/// The code of a table's end marker; no message ever matches it.
inline constexpr std::int32_t kDispatchEnd = -1;

/// Handlers are stored as plain functions that convert the receiver to the declaring class
/// and call the member: the conversion adjusts the pointer correctly even where XGDispatch
/// is not the first base of the class.
using XGTableHandler = std::int32_t (*)(XGDispatch* receiver, std::int32_t param, void* data);
using XGCatchAllHandler = std::int32_t (*)(XGDispatch* receiver, std::int32_t code,
                                           std::int32_t param, void* data);

/// One entry of a class's table: the code it answers and its handler.
struct _DispatchTable {
    std::int32_t fCode;
    XGTableHandler fHandler;
};

/// A class's dispatch record: the record of its nearest ancestor that has one (null only
/// for XGDispatch), its own table, and its catch-all handler, which sees every message
/// before the table does.
struct _DispatchData {
    const _DispatchData* fBase;
    const _DispatchTable* fTable;
    XGCatchAllHandler fCatchAll;
};

class XGDispatch {
public:
    XGDispatch();
    /// Leaves the lists of every sender that holds this dispatcher and stops being the
    /// focus, so that nothing is left pointing at it.
    virtual ~XGDispatch() noexcept(false);

    XGDispatch(const XGDispatch&) = delete;
    XGDispatch& operator=(const XGDispatch&) = delete;

    /// Makes this object the focus, where SendDispatch starts.
    virtual void TakeFocus();
    /// Gives up the focus if this object has it.
    virtual void ReleaseFocus();
    virtual bool HasFocus() const;
    /// The record of the most derived class that declares a table; never null.
    virtual const _DispatchData* GetDispatchData() const;
    /// The next object of this one's chain, or null at its end. A chain must end and must
    /// not come back to an object it has passed, or a chained dispatch never ends.
    virtual XGDispatch* GetNextDispatch();

    /// Looks for a handler, level by level from the most derived class up: each level's
    /// catch-all first, then its table. With `chain` it goes on along GetNextDispatch().
    /// Returns the first answer that is not kDispatchDeclined, or kDispatchDeclined.
    std::int32_t DoDispatch(std::int32_t code, std::int32_t param, void* data, bool chain);

    /// Dispatches to the focus with chaining; kDispatchDeclined when nothing has the focus.
    static std::int32_t SendDispatch(std::int32_t code, std::int32_t param, void* data);

    static XGDispatch* GetFocus() { return gFocus; }

    static const _DispatchData _TableData;
    static const _DispatchTable _Dispatch[];

protected:
    /// The senders that hold this dispatcher among their receivers; not owned. Kept by
    /// XGSend, which changes both sides of a link together.
    XGPDynArray<XGSend> fSend;

private:
    static XGDispatch* gFocus;

    friend class XGSend;
};

template <class>
struct XGHandlerClass;
template <class C>
struct XGHandlerClass<std::int32_t (C::*)(std::int32_t, void*)> {
    using Type = C;
};
template <class C>
struct XGHandlerClass<std::int32_t (C::*)(std::int32_t, std::int32_t, void*)> {
    using Type = C;
};

/// The table-entry form of a member handler `std::int32_t C::H(std::int32_t, void*)`. A record
/// is reached only through objects of its own class or a derived one, so the receiver is a C.
template <auto handler>
std::int32_t XGCallTableHandler(XGDispatch* receiver, std::int32_t param, void* data)
{
    using Class = typename XGHandlerClass<decltype(handler)>::Type;
    return (static_cast<Class*>(receiver)->*handler)(param, data);
}

template <auto handler>
std::int32_t XGCallCatchAll(XGDispatch* receiver, std::int32_t code, std::int32_t param, void* data)
{
    using Class = typename XGHandlerClass<decltype(handler)>::Type;
    return (static_cast<Class*>(receiver)->*handler)(code, param, data);
}

/// A table entry: messages of `code` go to the member `handler`.
template <auto handler>
constexpr _DispatchTable KOVADispatchEntry(std::int32_t code)
{
    return {code, &XGCallTableHandler<handler>};
}
template <auto handler>
constexpr _DispatchTable KOVADispatchEntry(const char (&code)[5])
{
    return KOVADispatchEntry<handler>(KOVAMessageCode(code));
}

/// The end marker that closes every table.
constexpr _DispatchTable KOVADispatchEnd()
{
    return {kDispatchEnd, nullptr};
}

/// A class's catch-all handler `std::int32_t C::H(std::int32_t code, std::int32_t param, void*)`.
template <auto handler>
constexpr XGCatchAllHandler KOVACatchAll()
{
    return &XGCallCatchAll<handler>;
}

} // namespace kova

/// In the class: the record, the table, and the override that names the record. What
/// follows it in the class is public.
#define KOVA_DECLARE_DISPATCH()                                    \
public:                                                            \
    const ::kova::_DispatchData* GetDispatchData() const override; \
    static const ::kova::_DispatchData _TableData;                 \
    static const ::kova::_DispatchTable _Dispatch[]

/// After the class's table: its record, linked to the nearest ancestor that has one, with
/// the catch-all handler or nullptr. Both are constant data, complete before any code runs.
#define KOVA_DISPATCH_RECORD(cls, ancestor, catchAll)                                   \
    constinit const ::kova::_DispatchData cls::_TableData = {&ancestor::_TableData,     \
                                                             cls::_Dispatch, catchAll}; \
    const ::kova::_DispatchData* cls::GetDispatchData() const                           \
    {                                                                                   \
        return &cls::_TableData;                                                        \
    }

#endif
