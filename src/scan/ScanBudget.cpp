#include "scan/ScanBudget.h"

void TScanBudget::Start(std::size_t sourceBytes)
{
    m_written = 0;
    m_expanded = 0;
    m_limit = kScanOutputBase + kScanOutputPerSourceByte * sourceBytes;
}

void TScanBudget::CheckSize(std::size_t size, const char* what)
{
    if (size > kMaxTextSize)
        throw TScanLimit(std::string(what) + " grows past " + Megabytes(kMaxTextSize));
}

void TScanBudget::Exceeded(const char* what) const
{
    throw TScanLimit(std::string(what) + " past " + Megabytes(m_limit) + ", four times the source and 64 MB");
}
