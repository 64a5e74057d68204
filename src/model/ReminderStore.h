// The reminder store: State.ReminderList mirrors the lines of State.EventsPath, State.EventFlags marks
// the grid cells whose date has a reminder.
#pragma once

#include <string>

// Reads the whole file into State.ReminderList and recomputes State.EventFlags. A missing or unreadable
// file gives an empty list and no flags.
void LoadReminders();
// The text stored for the key (first matching line wins), or the empty text.
std::string FindReminder(const std::string& key);
// Stores the text as the key's reminder, or deletes it when the text is empty, and rewrites the file
// before returning. Never loses another line of the file: see the notes in ReminderStore.cpp.
void SetReminder(const std::string& text, const std::string& key);
