#pragma once

// Counts the wrong entries at the password prompt while it is shown. Three
// wrong entries are answered with the error text and another try; the fourth
// closes the prompt, which at start-up ends the program.
class WrongEntryLimit
{
public:
    static constexpr int AllowedWrongEntries = 3;

    // A new showing of the prompt starts from zero.
    void reset() { m_count = 0; }

    // Counts one wrong entry. True when the limit is passed and the prompt
    // must close instead of asking again.
    bool registerWrongEntry();

    int count() const { return m_count; }

private:
    int m_count = 0;
};
