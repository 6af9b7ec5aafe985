#pragma once
// Makes the handler of a panel or markup dialog from its name. The names are tried against a fixed table
// in order and the first row that matches decides; most named panels have no handler and yield null.

#include <span>
#include <string>

class IHandler;

enum class HandlerMatch {
    Equal,    // the whole name, case-sensitive
    Contains, // the text anywhere in the name
};

struct HandlerRow {
    // Up to four names that go to the same class; unused places are null.
    const wchar_t* names[4];
    HandlerMatch match;
    // The class the row makes, for reading and for tests of the order.
    const wchar_t* className;
    // Null until the class exists: the row then matches but makes nothing.
    IHandler* (*create)();
};

// The program's table.
std::span<const HandlerRow> HandlerTable();
// The first row of the table that matches the name; null when none does.
const HandlerRow* FindHandlerRow(const std::wstring& name, std::span<const HandlerRow> table);
// A new handler for the name from the table, owned by the caller (IHandler::Release); null when no row
// matches, the row's class does not exist yet, or memory runs out.
IHandler* CreateHandlerFrom(const std::wstring& name, std::span<const HandlerRow> table);
// The same over the program's table.
IHandler* CreateHandler(const std::wstring& name);
