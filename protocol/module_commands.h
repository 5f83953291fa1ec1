#pragma once
// The module commands as data. The command interface sends by this table, vantrel-cli checks
// its arguments against it and lists it in its help, and the simulated control module answers
// by it: a new command is one row here (and, when it returns data, what the simulator returns).
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/packet_layout.h"

namespace protocol {

enum class CommandFormat : std::uint8_t {
    Framed,      // one framed packet over TCP
    BlockWrite,  // framed chunks of up to 31 bytes at their offset, then a closing request
    Datagram,    // one datagram over UDP
};

// What the caller's parameter becomes.
enum class CommandParameter : std::uint8_t {
    Unused,
    BlockBits,  // its two low bits, bits 7-6 of access-header byte 13
    Word,       // its low 16 bits, the datagram's parameter word
};

struct ModuleCommandRow {
    int number;
    CommandFormat format;
    std::uint8_t code;    // framed: the access operation; datagram: the datagram code
    bool callerTarget;    // framed: the caller's target in the access header instead of 0xFD
    std::size_t minData;  // data bytes the command needs; 0 when it needs none
    std::size_t maxData;  // data bytes it can carry
    bool sendsLength;     // the caller's length says how many go out; else exactly maxData
    bool readsData;       // the reply's data are handed back to the caller
    CommandParameter parameter;
};

// A block write's chunks use the row's operation; this one closes the block.
inline constexpr std::uint8_t kBlockCloseOperation = 5;
inline constexpr std::size_t kMaxBlockLength = 0xFFFF;  // the offset field's reach
inline constexpr std::size_t kBlockCommandData = 8;     // commands 501 and 503

inline constexpr ModuleCommandRow kModuleCommands[] = {
    // number, format, code, callerTarget, minData, maxData, sendsLength, readsData, parameter
    {201, CommandFormat::Framed, 1, false, 0, 0, false, true, CommandParameter::Unused},
    {202, CommandFormat::Framed, 2, false, 0, 0, false, true, CommandParameter::Unused},
    {203, CommandFormat::Framed, 3, false, 0, 1, false, false, CommandParameter::Unused},
    {204, CommandFormat::Framed, 4, false, 0, 0, false, true, CommandParameter::Unused},
    {205, CommandFormat::Framed, 5, false, 0, 0, false, false, CommandParameter::Unused},
    {301, CommandFormat::Framed, 2, true, 0, 0, false, true, CommandParameter::Unused},
    {302, CommandFormat::Framed, 3, true, 0, packet::kMaxFramedData, true, false,
     CommandParameter::Unused},
    {303, CommandFormat::BlockWrite, 4, true, 0, kMaxBlockLength, true, false,
     CommandParameter::BlockBits},
    {401, CommandFormat::Datagram, 3, false, 0, packet::kMaxDatagramPayload, true, false,
     CommandParameter::Unused},
    {402, CommandFormat::Datagram, 4, false, 0, 0, false, true, CommandParameter::Unused},
    {403, CommandFormat::Datagram, 5, false, 0, packet::kMaxDatagramPayload, true, false,
     CommandParameter::Word},
    {501, CommandFormat::Datagram, 6, false, kBlockCommandData, kBlockCommandData, false, false,
     CommandParameter::Unused},
    {502, CommandFormat::Datagram, 7, false, 0, 0, false, true, CommandParameter::Unused},
    {503, CommandFormat::Datagram, 8, false, kBlockCommandData, kBlockCommandData, false, false,
     CommandParameter::Unused},
    {504, CommandFormat::Datagram, 9, false, 0, 0, false, true, CommandParameter::Unused},
};

// The row of a command number; null for a number not in the table, for which the command
// interface sends nothing.
const ModuleCommandRow* FindModuleCommand(int number);
// The datagram command with that code, or the framed command (block writes included) with that
// access operation that carries data (withData) or none; null when the table has none.
const ModuleCommandRow* FindDatagramCommand(std::uint16_t code);
const ModuleCommandRow* FindFramedCommand(std::uint8_t operation, bool withData);

}  // namespace protocol
