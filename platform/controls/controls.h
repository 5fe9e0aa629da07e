#pragma once
// Classic controls on top of Qt widgets. Positions and sizes are twips.
// Setting a value from code raises the control's event synchronously, before
// the setter returns, and only when the value really changes; the user's
// action raises the same event, through the guard that keeps exceptions out of
// Qt (or, on Windows, out of the message loop). No toolkit type appears in
// this header.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/pictures/picture.h"

#ifdef _WIN32
struct HWND__;  // a window handle: a picture or a label has none
namespace platform { using NativeWidget = HWND__; }
#else
class QWidget;
namespace platform { using NativeWidget = QWidget; }
#endif

namespace platform {

class Form;

// Geometry, visibility, focus and tooltip shared by every visible control.
class Control {
public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void set_left(double twips);
    void set_top(double twips);
    void set_width(double twips);
    void set_height(double twips);
    void move(double left, double top, double width, double height);

    bool visible() const { return visible_; }
    void set_visible(bool v);
    void set_focus();
    bool has_focus() const;
    const std::string& tooltip() const { return tooltip_; }
    void set_tooltip(const std::string& text);
    // Draw above (or below) the form's other controls.
    void bring_to_front();
    void send_to_back();

    NativeWidget* widget() const { return widget_; }  // for the platform and tests

protected:
    Control(Form& form, NativeWidget* widget, std::string name);
    virtual void apply_geometry();
    Form& form_;
    NativeWidget* widget_;

private:
    // Each system's: called before the place or size changes.
    void leave_old_place();
    std::string name_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    std::string tooltip_;
};

// A list of the matching files of one folder.
class FileList : public Control {
public:
    FileList(Form& form, std::string name);
    const std::string& path() const { return path_; }
    void set_path(const std::string& folder);  // re-reads; 76 when unreadable
    const std::string& pattern() const { return pattern_; }
    void set_pattern(const std::string& patterns);  // re-reads when it changes
    // Attribute filter: read-only files (no write bit for anyone) are listed
    // unless it is switched off. Hidden (dot) files are never listed.
    void set_show_read_only(bool on);
    void refresh();  // re-reads the folder; no entry selected afterwards

    int list_count() const { return static_cast<int>(names_.size()); }
    int list_index() const { return index_; }
    void set_list_index(int index);  // 380 when out of range; Click on a change
    std::string list(int index) const;
    std::string file_name() const;  // the selected name, or "" with none

    // A change of the selection by the user or from code, and a click on the
    // entry already selected. While a key is held, its repeats move the
    // selection at once and on_click comes once the presses waiting have been
    // handled, for the entry selected then.
    std::function<void()> on_click;
    std::function<void()> on_dbl_click;
    std::function<void(std::int16_t& key_code, int shift)> on_key_down;

private:
    friend class FileListBridge;
    void reload();
    void user_selected(int row);
    void announce_when_keys_settle();
    // Each system's: the names shown with nothing selected, the entry at
    // index_ selected without a Click, whether a held key's repeat moves it.
    void show_names(const std::vector<std::string>& shown);
    void show_index();
    bool key_repeating() const;
    bool announcement_pending_ = false;
    std::string path_;
    std::string pattern_ = "*.*";
    bool show_read_only_ = true;
    std::vector<std::string> names_;
    int index_ = -1;
};

// The folder tree of one drive: the open folder's ancestors and its
// sub-folders, leaving out other drives mounted inside it. A double-click (or
// Enter) opens an entry; moving to an entry by mouse or keyboard is a click.
class DirList : public Control {
public:
    DirList(Form& form, std::string name);
    const std::string& path() const { return path_; }
    // A folder path, or a drive as the drive list spells it (goes to that
    // drive's current folder). Change when the path changes; 76 for a
    // missing folder, 68 for a drive that cannot be read.
    void set_path(const std::string& path_or_drive);
    void refresh();
    int list_count() const { return static_cast<int>(entries_.size()); }
    std::string list(int index) const;
    int list_index() const { return highlighted_; }

    std::function<void()> on_change;
    std::function<void()> on_click;

private:
    friend class DirListBridge;
    void rebuild();
    void open_entry(int row);       // a double-click or Enter
    void highlight_entry(int row);  // moved to by mouse or keyboard
    // Each system's: the rows shown, the one at highlighted_ selected.
    void show_entries(const std::vector<std::string>& shown);
    std::string path_;
    std::vector<std::string> entries_;  // full paths: ancestors, then sub-folders
    int highlighted_ = -1;
};

// The list of drives.
class DriveList : public Control {
public:
    DriveList(Form& form, std::string name);
    const std::string& drive() const { return drive_; }
    // A drive as spelled in the list, or any path (takes the drive holding
    // it). Change when the drive changes; 68 for an unknown drive.
    void set_drive(const std::string& drive_or_path);
    void refresh();  // re-reads the mount table
    int list_count() const;
    std::string list(int index) const;

    std::function<void()> on_change;

private:
    void fill();
    void take_start_drive();
    void user_chose(int row);
    // Each system's: the entries shown, the one at current chosen.
    void show_drives(const std::vector<std::string>& shown, int current);
    std::string drive_;
    std::vector<std::string> spelled_;
};

// A combo box with an editable text field and a drop-down list. Setting the
// list index from code raises Click every time, also for the entry already
// selected, so the entry's action always runs.
class ComboBox : public Control {
public:
    ComboBox(Form& form, std::string name);
    void add_item(const std::string& text);
    int list_count() const;
    std::string list(int index) const;
    int list_index() const { return index_; }
    void set_list_index(int index);  // -1 or an entry; 380 otherwise

    std::function<void()> on_click;

private:
    friend class ComboBridge;
    int index_ = -1;
};

// A picture control. With stretching off it takes the picture's own size;
// with it on, the picture is scaled into the control's box.
class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name);
    void load(const std::string& path);  // 53 / 481, keeping the picture shown
    void set_picture(const Picture& picture);
    const Picture& picture() const { return picture_; }
    bool stretch() const { return stretch_; }
    void set_stretch(bool on);

    std::function<void()> on_click;

private:
    void size_to_picture();
    Picture picture_;
    bool stretch_ = false;
};

enum class Orientation { Horizontal, Vertical };

// A scroll bar with 16-bit minimum, maximum and value. It runs from its
// minimum (left or top) toward its maximum, also when the maximum is the
// smaller; it is in the tab order and its arrow keys move it.
class ScrollBar : public Control {
public:
    ScrollBar(Form& form, std::string name, Orientation orientation);
    std::int16_t min() const { return min_; }
    std::int16_t max() const { return max_; }
    std::int16_t value() const { return value_; }
    // Values outside -32768..32767 throw 6 (overflow) and change nothing.
    void set_min(long long v);
    void set_max(long long v);
    void set_value(long long v);  // 380 outside min..max
    int large_change() const { return large_change_; }
    void set_small_change(int v);
    void set_large_change(int v);

    std::function<void()> on_change;  // a finished change
    std::function<void()> on_scroll;  // while the thumb is dragged

private:
    friend class ScrollBridge;
    void sync_widget();
    void clamp_value();
    std::int16_t min_ = 0, max_ = 32767, value_ = 0;
    std::int16_t drag_start_ = 0;
    int small_change_ = 1, large_change_ = 1;
};

class Label : public Control {
public:
    Label(Form& form, std::string name);
    const std::string& caption() const { return caption_; }
    void set_caption(const std::string& text);
    void set_font(const std::string& family, double points, bool bold);
    // Makes the font small enough that one line, descenders included, fits
    // the label's height.
    void fit_font_to_height();

private:
    std::string caption_;
};

class TextBox : public Control {
public:
    TextBox(Form& form, std::string name);
    std::string text() const;
    void set_text(const std::string& text);
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name);
    void set_caption(const std::string& caption);  // '&' marks the access key
    std::string caption() const;
    void set_default(bool on);  // Enter presses it
    void set_cancel(bool on);   // Esc presses it
    void press();               // as a click by the user would

    std::function<void()> on_click;
};

// A timer; interval in milliseconds, 0 = stopped.
class Timer {
public:
    Timer();
    ~Timer();
    int interval() const { return interval_; }
    void set_interval(int ms);
    std::function<void()> on_timer;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int interval_ = 0;
};

}  // namespace platform
