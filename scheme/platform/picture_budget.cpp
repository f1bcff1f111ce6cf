#include "scheme/platform/picture_budget.h"

#include <QMutexLocker>
#include <algorithm>
#include <utility>

namespace scheme {

namespace {

thread_local TPictureReadScope* CurrentScope = nullptr;

}  // namespace

qint64 DecodedBytes(const QSize& Size, QImage::Format Format) {
    if (!Size.isValid() || Size.isEmpty()) return 0;
    const qint64 Bits =
        Format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(Format).bitsPerPixel();
    const qint64 Line = (qint64(Size.width()) * std::max<qint64>(Bits, 1) + 31) / 32 * 4;
    return Line * Size.height();
}

bool DataCanHold(const QSize& Size, qint64 DataBytes, QString* Why) {
    const qint64 Pixels = qint64(std::max(Size.width(), 0)) * std::max(Size.height(), 0);
    if (Pixels <= kAnyDataPixels || Pixels / kMaxPixelsPerDataByte < std::max<qint64>(DataBytes, 1))
        return true;
    if (Why)
        *Why =
            QStringLiteral("its %1 of data cannot hold that many pixels").arg(BytesText(DataBytes));
    return false;
}

QString BytesText(qint64 Bytes) {
    if (Bytes >= (qint64(1) << 20))
        return QStringLiteral("%1 MiB").arg((Bytes + (qint64(1) << 19)) >> 20);
    if (Bytes >= 1024) return QStringLiteral("%1 KiB").arg((Bytes + 512) >> 10);
    return QStringLiteral("%1 bytes").arg(Bytes);
}

// ---- the budget ------------------------------------------------------------------------------

const std::shared_ptr<TPictureBudget>& TPictureBudget::Process() {
    static const std::shared_ptr<TPictureBudget> Instance = std::make_shared<TPictureBudget>();
    return Instance;
}

qint64 TPictureBudget::Limit() const {
    QMutexLocker Locker(&FLock);
    return FLimit;
}

void TPictureBudget::SetLimit(qint64 Value) {
    QMutexLocker Locker(&FLock);
    FLimit = Value;
}

qint64 TPictureBudget::Used() const {
    QMutexLocker Locker(&FLock);
    return FUsed;
}

qint64 TPictureBudget::Peak() const {
    QMutexLocker Locker(&FLock);
    return FPeak;
}

qint64 TPictureBudget::Granted() const {
    QMutexLocker Locker(&FLock);
    return FGranted;
}

qint64 TPictureBudget::Refused() const {
    QMutexLocker Locker(&FLock);
    return FRefused;
}

bool TPictureBudget::TryReserve(qint64 Bytes) {
    QMutexLocker Locker(&FLock);
    if (Bytes < 0 || Bytes > FLimit - FUsed) {
        ++FRefused;
        return false;
    }
    FUsed += Bytes;
    FGranted += Bytes;
    FPeak = std::max(FPeak, FUsed);
    return true;
}

void TPictureBudget::Take(qint64 Bytes) {
    QMutexLocker Locker(&FLock);
    FUsed += Bytes;
    FGranted += Bytes;
    FPeak = std::max(FPeak, FUsed);
}

void TPictureBudget::Release(qint64 Bytes) {
    QMutexLocker Locker(&FLock);
    FUsed = std::max<qint64>(FUsed - Bytes, 0);
}

void TPictureBudget::Report(const QString& Message) {
    QMutexLocker Locker(&FLock);
    if (FReports.size() < kMaxPictureReports)
        FReports.append(Message);
    else
        ++FReportsDropped;
}

QStringList TPictureBudget::TakeReports() {
    QMutexLocker Locker(&FLock);
    QStringList Result = std::exchange(FReports, {});
    if (const qint64 Dropped = std::exchange(FReportsDropped, 0))
        Result.append(
            QStringLiteral("%1 more problems with pictures were not listed").arg(Dropped));
    return Result;
}

// ---- charges ---------------------------------------------------------------------------------

TPictureCharge::TPictureCharge(TPictureCharge&& Source) noexcept
    : FBudget(std::move(Source.FBudget)), FBytes(std::exchange(Source.FBytes, 0)) {}

TPictureCharge& TPictureCharge::operator=(TPictureCharge&& Source) noexcept {
    if (&Source != this) {
        Reset();
        FBudget = std::move(Source.FBudget);
        FBytes = std::exchange(Source.FBytes, 0);
    }
    return *this;
}

TPictureCharge::~TPictureCharge() {
    Reset();
}

bool TPictureCharge::Add(const std::shared_ptr<TPictureBudget>& Budget, qint64 Bytes) {
    if (FBudget != Budget) Reset();
    if (!Budget->TryReserve(Bytes)) return false;
    FBudget = Budget;
    FBytes += Bytes;
    return true;
}

void TPictureCharge::Reset() {
    if (FBudget && FBytes > 0) FBudget->Release(FBytes);
    FBytes = 0;
    FBudget.reset();
}

void TPictureCharge::Settle(qint64 Bytes) {
    if (!FBudget) return;
    if (Bytes < FBytes) {
        FBudget->Release(FBytes - Bytes);
    } else if (Bytes > FBytes) {
        // The bytes exist already: they are counted even past the limit, so that Used stays
        // what the pictures hold.
        FBudget->Take(Bytes - FBytes);
    }
    FBytes = Bytes;
}

// ---- reading ---------------------------------------------------------------------------------

TPictureReadScope::TPictureReadScope(std::shared_ptr<TPictureBudget> Budget)
    : FBudget(std::move(Budget)), FOuter(CurrentScope) {
    CurrentScope = this;
}

TPictureReadScope::~TPictureReadScope() {
    CurrentScope = FOuter;
}

TPictureReadScope* TPictureReadScope::Current() {
    return CurrentScope;
}

void ReportPictureProblem(TPictureBudget* Budget, const QString& Message) {
    if (!Budget) Budget = TPictureBudget::Process().get();
    for (TPictureReadScope* Scope = CurrentScope; Scope; Scope = Scope->FOuter)
        if (Scope->FBudget.get() == Budget) {
            Scope->FNotes.append(Message);
            return;
        }
    Budget->Report(Message);
}

}  // namespace scheme
