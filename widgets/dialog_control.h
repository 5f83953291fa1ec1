#pragma once
// A dialog template's control as plain data, without Qt, so the core's tests can read the ids.

// One control of a dialog template: its id, what kind of control the window makes for it
// (each window names its own kinds), and its rectangle in dialog units.
template <class Kind>
struct DialogControl {
    int id;
    Kind kind;
    int x, y, width, height;
};
