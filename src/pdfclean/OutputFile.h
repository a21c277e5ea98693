#pragma once

// OUTPUT as this process made it (O_EXCL, 0600); removed again unless kept.
class OutputFile
{
public:
    explicit OutputFile(const char *path);
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile();

    int fd() const { return m_fd; }
    void syncAndClose();
    void keep() { m_kept = true; }

private:
    const char *m_path;
    int m_fd = -1;
    bool m_kept = false;
};
