#pragma once

namespace app {

// Ids of the string table's texts that are not control captions: messages, column headers,
// answer texts and titles. Callers name the English id; LoadLocalizedString adds the Russian
// offset. A control's caption id is its control id and lives in its window's template header.
namespace string_ids {

// Loaded without the language offset: the caption of every message box in both languages.
inline constexpr int kApplicationTitle = 57344;

// The wizard's list headers, loaded without the offset as well.
inline constexpr int kWizardMacHeader = 10005;
inline constexpr int kWizardIpHeader = 10006;

// The main list's "Online" column.
inline constexpr int kAnswerYes = 10007;
inline constexpr int kAnswerNo = 10008;

// The main list's column headers.
inline constexpr int kPositionHeader = 10020;
inline constexpr int kMacHeader = 10021;
inline constexpr int kIpHeader = 10022;
inline constexpr int kOnlineHeader = 10023;
inline constexpr int kSwitcherHeader = 10401;

inline constexpr int kRemoveQuestion = 10101;  // "%s" takes the device's address
inline constexpr int kNotResponding = 10102;
inline constexpr int kPassportFileFilter = 10103;
inline constexpr int kFileSaveFailed = 10104;
inline constexpr int kWizardAdapterFailed = 10105;
inline constexpr int kAddressAlreadyUsed = 10106;
inline constexpr int kInvalidAddress = 10107;
inline constexpr int kWizardTitle = 10112;
inline constexpr int kNoAdapter = 10115;

}  // namespace string_ids

}  // namespace app
