#pragma once
// Message boxes in the current interface language, captioned with the application title in
// both languages. Every box names its icon: error and warning boxes have OK, questions have Yes
// and No with No as the default button.
#include <string>

enum class MessageStyle { Error, Warning, Question };
enum class MessageAnswer { Ok, Yes, No };

// Shows string `id` in the current language, modal to the program's active window.
MessageAnswer LocalizedMessageBox(int id, MessageStyle style);

// The same for a text already loaded and formatted (such as the Remove question).
MessageAnswer LocalizedMessageBoxText(const std::string& text, MessageStyle style);
