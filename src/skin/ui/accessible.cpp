#include "skin/ui/accessible.h"

#include <wx/window.h>

#include <cstdint>
#include <memory>
#include <string>

#include "skin/spoken_name.h"
#include "skin/ui/toolkit_function.h"

// The toolkit's accessibility functions are found in the libraries the
// framework loaded; their development headers are not needed to build the
// tool, so the few structures used are declared here as the libraries lay
// them out.
namespace kerfel::a11y {

namespace {

using GType = std::size_t;
using GCallback = void (*)();

struct GTypeQuery {
    GType type;
    const char* type_name;
    unsigned class_size;
    unsigned instance_size;
};
struct GInterfaceInfo {
    void (*init)(void* iface, void* data);
    void (*finalize)(void* iface, void* data);
    void* data;
};
struct GTypeInterface {
    GType g_type, g_instance_type;
};
struct AtkActionIface {
    GTypeInterface parent;
    int (*do_action)(void* action, int i);
    int (*get_n_actions)(void* action);
    const char* (*get_description)(void* action, int i);
    const char* (*get_name)(void* action, int i);
    const char* (*get_keybinding)(void* action, int i);
    int (*set_description)(void* action, int i, const char* text);
    const char* (*get_localized_name)(void* action, int i);
};
struct GValue {
    GType type;
    std::uint64_t data[2];
};
struct AtkValueIface {
    GTypeInterface parent;
    void (*get_current_value)(void* obj, GValue* value);
    void (*get_maximum_value)(void* obj, GValue* value);
    void (*get_minimum_value)(void* obj, GValue* value);
    int (*set_current_value)(void* obj, const GValue* value);
    void (*get_minimum_increment)(void* obj, GValue* value);
    void (*get_value_and_text)(void* obj, double* value, char** text);
    void* (*get_range)(void* obj);
    double (*get_increment)(void* obj);
    void* (*get_sub_ranges)(void* obj);
    void (*set_value)(void* obj, double value);
};
constexpr GType kTypeDouble = 15 << 2;  // G_TYPE_DOUBLE
constexpr int kRelationLabelFor = 3, kRelationLabelledBy = 4;
constexpr const char* kBehaviourKey = "kerfel-accessible-behaviour";

// What a custom widget does for a reader beyond role and name.
struct Behaviour {
    std::function<void()> click;
    std::function<double()> current, lower, upper;
};

// A window's own widget, or for a scrolled control its client area, which
// is what takes the focus.
void* Widget(wxWindow* w) {
    if (!w) return nullptr;
    if (w->IsTopLevel() || !w->m_wxwindow) return w->m_widget;
    return w->m_wxwindow;
}

void InstallAccessibleKind(wxWindow* w);

// Made on first use, of the kind InstallAccessibleKind set up.
void* AccessibleOf(wxWindow* w) {
    static auto get = ToolkitFunction<void* (*)(void*)>("gtk_widget_get_accessible");
    InstallAccessibleKind(w);
    void* widget = Widget(w);
    return widget && get ? get(widget) : nullptr;
}

Behaviour* BehaviourOfAccessible(void* accessible) {
    static auto widgetOf = ToolkitFunction<void* (*)(void*)>("gtk_accessible_get_widget");
    static auto getData = ToolkitFunction<void* (*)(void*, const char*)>("g_object_get_data");
    void* widget = widgetOf && accessible ? widgetOf(accessible) : nullptr;
    return widget && getData ? static_cast<Behaviour*>(getData(widget, kBehaviourKey)) : nullptr;
}

Behaviour* BehaviourOf(wxWindow* w) {
    static auto getData = ToolkitFunction<void* (*)(void*, const char*)>("g_object_get_data");
    static auto setData = ToolkitFunction<void (*)(void*, const char*, void*, void (*)(void*))>("g_object_set_data_full");
    void* widget = Widget(w);
    if (!widget || !getData || !setData) return nullptr;
    if (auto* b = static_cast<Behaviour*>(getData(widget, kBehaviourKey))) return b;
    auto* b = new Behaviour;
    setData(widget, kBehaviourKey, b, [](void* p) { delete static_cast<Behaviour*>(p); });
    return b;
}

// The action: one "click" where the widget was given one.
int DoAction(void* accessible, int i) {
    Behaviour* b = BehaviourOfAccessible(accessible);
    if (!b || !b->click || i != 0) return 0;
    b->click();
    return 1;
}
int ActionCount(void* accessible) {
    Behaviour* b = BehaviourOfAccessible(accessible);
    return b && b->click ? 1 : 0;
}
const char* ActionName(void* accessible, int i) { return i == 0 && ActionCount(accessible) ? "click" : nullptr; }
const char* NoText(void*, int) { return nullptr; }

void ActionInit(void* iface, void*) {
    auto* a = static_cast<AtkActionIface*>(iface);
    a->do_action = DoAction;
    a->get_n_actions = ActionCount;
    a->get_name = ActionName;
    a->get_localized_name = ActionName;
    a->get_description = NoText;
    a->get_keybinding = NoText;
}

double ValueOf(void* accessible, std::function<double()> Behaviour::*which) {
    Behaviour* b = BehaviourOfAccessible(accessible);
    return b && b->*which ? (b->*which)() : 0.0;
}
void PutDouble(GValue* v, double d) {
    static auto init = ToolkitFunction<GValue* (*)(GValue*, GType)>("g_value_init");
    static auto set = ToolkitFunction<void (*)(GValue*, double)>("g_value_set_double");
    if (!init || !set || !v) return;
    if (v->type == 0) init(v, kTypeDouble);
    set(v, d);
}
void CurrentValue(void* a, GValue* v) { PutDouble(v, ValueOf(a, &Behaviour::current)); }
void MaximumValue(void* a, GValue* v) { PutDouble(v, ValueOf(a, &Behaviour::upper)); }
void MinimumValue(void* a, GValue* v) { PutDouble(v, ValueOf(a, &Behaviour::lower)); }
void ValueAndText(void* a, double* value, char** text) {
    if (value) *value = ValueOf(a, &Behaviour::current);
    if (text) *text = nullptr;
}
void* Range(void* a) {
    static auto make = ToolkitFunction<void* (*)(double, double, const char*)>("atk_range_new");
    return make ? make(ValueOf(a, &Behaviour::lower), ValueOf(a, &Behaviour::upper), nullptr) : nullptr;
}

void ValueInit(void* iface, void*) {
    auto* v = static_cast<AtkValueIface*>(iface);
    v->get_current_value = CurrentValue;
    v->get_maximum_value = MaximumValue;
    v->get_minimum_value = MinimumValue;
    v->get_value_and_text = ValueAndText;
    v->get_range = Range;
}

// The framework draws every custom control on one widget class; its ATK
// objects become a kind that can offer an action and a value, which each
// widget enables or not through its Behaviour. Done once, before the first
// such object is made.
void InstallAccessibleKind(wxWindow* w) {
    static bool done = false;
    if (done || !Widget(w)) return;
    done = true;
    auto fromName = ToolkitFunction<GType (*)(const char*)>("g_type_from_name");
    auto parentType = ToolkitFunction<GType (*)()>("gtk_container_accessible_get_type");
    auto query = ToolkitFunction<void (*)(GType, GTypeQuery*)>("g_type_query");
    auto registerType = ToolkitFunction<GType (*)(GType, const char*, unsigned, void*, unsigned, void*, int)>(
        "g_type_register_static_simple");
    auto addInterface = ToolkitFunction<void (*)(GType, GType, const GInterfaceInfo*)>("g_type_add_interface_static");
    auto actionType = ToolkitFunction<GType (*)()>("atk_action_get_type");
    auto valueType = ToolkitFunction<GType (*)()>("atk_value_get_type");
    auto classRef = ToolkitFunction<void* (*)(GType)>("g_type_class_ref");
    auto setAccessibleType = ToolkitFunction<void (*)(void*, GType)>("gtk_widget_class_set_accessible_type");
    if (!fromName || !parentType || !query || !registerType || !addInterface || !actionType || !valueType ||
        !classRef || !setAccessibleType)
        return;
    const GType pizza = fromName("wxPizza");
    if (!pizza) return;
    GTypeQuery parent{};
    query(parentType(), &parent);
    if (!parent.type) return;
    const GType kind = registerType(parent.type, "KerfelSkinAccessible", parent.class_size, nullptr,
                                    parent.instance_size, nullptr, 0);
    static const GInterfaceInfo action{ActionInit, nullptr, nullptr};
    static const GInterfaceInfo value{ValueInit, nullptr, nullptr};
    addInterface(kind, actionType(), &action);
    addInterface(kind, valueType(), &value);
    setAccessibleType(classRef(pizza), kind);
}

}  // namespace

void SetRole(wxWindow* w, Role role) {
    static auto set = ToolkitFunction<void (*)(void*, int)>("atk_object_set_role");
    static auto setCanFocus = ToolkitFunction<void (*)(void*, int)>("gtk_widget_set_can_focus");
    if (void* a = AccessibleOf(w); a && set) set(a, static_cast<int>(role));
    // The scrolled frame around a control's client area is no stop of its own.
    if (w && !w->IsTopLevel() && w->m_wxwindow && w->m_widget != w->m_wxwindow && setCanFocus)
        setCanFocus(w->m_widget, 0);
}

void SetName(wxWindow* w, const wxString& name) {
    static auto set = ToolkitFunction<void (*)(void*, const char*)>("atk_object_set_name");
    if (void* a = AccessibleOf(w); a && set) set(a, SpokenCaption(name.utf8_string()).c_str());
}

void SetDescription(wxWindow* w, const wxString& text) {
    static auto set = ToolkitFunction<void (*)(void*, const char*)>("atk_object_set_description");
    if (void* a = AccessibleOf(w); a && set) set(a, SpokenCaption(text.utf8_string()).c_str());
}

void Relate(wxWindow* label, wxWindow* control) {
    static auto add = ToolkitFunction<int (*)(void*, int, void*)>("atk_object_add_relationship");
    void* from = AccessibleOf(label);
    void* to = AccessibleOf(control);
    if (!from || !to || !add) return;
    add(from, kRelationLabelFor, to);
    add(to, kRelationLabelledBy, from);
}

void Announce(wxWindow* w, const wxString& text) {
    static auto emit = ToolkitFunction<void (*)(void*, const char*, ...)>("g_signal_emit_by_name");
    static auto lookup = ToolkitFunction<unsigned (*)(const char*, GType)>("g_signal_lookup");
    static auto typeOf = ToolkitFunction<GType (*)()>("atk_object_get_type");
    void* a = AccessibleOf(w);
    // Older toolkits have no announcement; the name change is all they tell.
    if (!a || !emit || !lookup || !typeOf || !lookup("announcement", typeOf())) return;
    const std::string said = SpokenCaption(text.utf8_string());
    if (!said.empty()) emit(a, "announcement", said.c_str());
}

void NeverFocus(wxWindow* w) {
    static auto set = ToolkitFunction<void (*)(void*, int)>("gtk_widget_set_can_focus");
    if (void* widget = Widget(w); widget && set) set(widget, 0);
}

void SetClickAction(wxWindow* w, std::function<void()> click) {
    InstallAccessibleKind(w);
    if (Behaviour* b = BehaviourOf(w)) b->click = std::move(click);
}

void SetValueSource(wxWindow* w, std::function<double()> current, std::function<double()> lower,
                    std::function<double()> upper) {
    InstallAccessibleKind(w);
    if (Behaviour* b = BehaviourOf(w)) {
        b->current = std::move(current);
        b->lower = std::move(lower);
        b->upper = std::move(upper);
    }
}

void ValueChanged(wxWindow* w) {
    static auto notify = ToolkitFunction<void (*)(void*, const char*)>("g_object_notify");
    if (void* a = AccessibleOf(w); a && notify) notify(a, "accessible-value");
}

}  // namespace kerfel::a11y
