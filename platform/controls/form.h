#pragma once
// Windows: the frame that holds child windows, its children, and windows of
// their own. A form owns its controls.
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/controls/controls.h"

namespace platform {

enum class FormKind {
    Frame,     // holds child windows; the program's main window
    Child,     // a child window inside a frame
    TopLevel,  // a window of its own
};

class Form {
public:
    // A child form needs its frame.
    explicit Form(FormKind kind, Form* frame = nullptr);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    FormKind kind() const { return kind_; }
    std::string caption() const;
    void set_caption(const std::string& caption);
    // 0 normal, 1 minimised, 2 maximised, read from the real window. Where
    // the window system never reports minimising (Wayland), a window
    // minimised here reads minimised while it is not the active window, until
    // it is activated after a read found it away, is found active, is shown
    // again, maximised, or set to another state here. Found active without
    // ever having left or been used, it is minimised again, once.
    int window_state() const;
    void set_window_state(int state);
    // Outer frame values, twips; for a child, relative to the frame's
    // client area.
    int left() const;
    int top() const;
    int width() const;
    int height() const;
    void set_left(double twips);
    void set_top(double twips);
    // The size of the client area at design, before the window is shown.
    void set_client_size(double width_twips, double height_twips);

    void show();  // modeless; brings an open window to the front
    void hide();
    bool is_shown() const;
    // Closes the window for good without raising on_close.
    void close_silently();

    // The user closes the window (close box, Alt+F4).
    std::function<void()> on_close;
    // A click on the frame's empty background.
    std::function<void()> on_click;

    // Controls, created hidden or shown as the form's other controls are.
    template <class C, class... Args>
    C& add(Args&&... args) {
        auto control = std::make_unique<C>(*this, std::forward<Args>(args)...);
        C& ref = *control;
        controls_.emplace(&ref, std::move(control));
        return ref;
    }
    Timer& add_timer();
    void remove(Control& control);
    // Takes a control out of the form at once, as remove does, but hands it
    // to the caller, who decides when its memory goes.
    std::unique_ptr<Control> take(Control& control);
    // Keyboard focus order.
    void set_tab_order(const std::vector<Control*>& order);

    // The buttons that Enter and Esc press.
    void set_default_button(CommandButton* button) { default_button_ = button; }
    void set_cancel_button(CommandButton* button) { cancel_button_ = button; }

    NativeWidget* client() const;  // where controls live (platform and tests)
    NativeWidget* window() const;  // the window itself

private:
    friend struct FormAccess;  // the platform's own code behind the controls
    struct Impl;
    std::unique_ptr<Impl> impl_;
    FormKind kind_;
    // Keyed by address: a thumbnail grid removes tens of thousands one by one.
    std::unordered_map<const Control*, std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<Timer>> timers_;
    CommandButton* default_button_ = nullptr;
    CommandButton* cancel_button_ = nullptr;
};

}  // namespace platform
