#include "OutputFile.h"

#include "HelperFailure.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

OutputFile::OutputFile(const char *path)
    : m_path(path)
{
    m_fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0)
        fail(PdfHelper::Exit::WriteFailed, std::strerror(errno));
}

OutputFile::~OutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_kept)
        ::unlink(m_path);
}

void OutputFile::syncAndClose()
{
    if (::fsync(m_fd) != 0)
        fail(PdfHelper::Exit::WriteFailed, std::strerror(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail(PdfHelper::Exit::WriteFailed, std::strerror(errno));
}
