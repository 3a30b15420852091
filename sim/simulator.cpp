#include "simulator.h"

#include "chartlayout.h"
#include "chartrenderer.h"
#include "measurementdata.h"
#include "simerror.h"
#include "statusplayer.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

constexpr int64_t MaxTextLength = 254;        // texts live in 255-byte fields on the caller's side
constexpr int64_t MaxWriteLength = 16 << 20;
constexpr int64_t MaxDryingEntries = 10000;
constexpr int64_t MaxDocTextLength = 1024;    // the name fields of DocRecord
constexpr int32_t LoadLibraryFlags = 0x100;

std::string number(int64_t value)
{
    return std::to_string(value);
}

std::string pointerText(const void* p)
{
    return p ? "set" : "null";
}

// A file name of the scenario: relative to the simulator's folder, or absolute.
std::string inFolder(const std::string& folder, const std::string& name)
{
    return name.empty() || std::filesystem::u8path(name).is_absolute() ? name : folder + "/" + name;
}

} // namespace

Simulator& Simulator::instance()
{
    static Simulator simulator;
    return simulator;
}

Simulator::~Simulator()
{
    Lock lock(m_mutex);
    Players players = std::move(m_retired);
    for (auto& entry : m_sessions) {
        Players more = takeSessionPlayers(*entry.second);
        for (auto& player : more)
            players.push_back(std::move(player));
    }
    lock.unlock();
    players.clear(); // each player stops and joins its thread
}

// ---- bookkeeping -----------------------------------------------------------------------------

Simulator::Reply Simulator::reply(const char* operation, const std::vector<std::string>& arguments)
{
    Reply r;
    r.operation = operation;
    for (const std::string& argument : arguments)
        r.arguments += (r.arguments.empty() ? "" : ", ") + argument;
    r.callNumber = ++m_callCounts[r.operation];
    return r;
}

uint32_t Simulator::accept(const Reply& r, const std::string& detail)
{
    m_trace.write(r.operation + "(" + r.arguments + ") = 0" + (detail.empty() ? "" : " " + detail));
    return SimOk;
}

uint32_t Simulator::refuse(const Reply& r, uint32_t code, const std::string& reason)
{
    m_trace.write(r.operation + "(" + r.arguments + ") = " + CallTrace::code(code) + " (" + reason + ")");
    return code;
}

uint32_t Simulator::fault(const Reply& r) const
{
    return m_scenario.faultFor(r.operation, r.callNumber);
}

Simulator::Session* Simulator::session(AccelHandle h)
{
    const auto found = m_sessions.find(h);
    return found != m_sessions.end() ? found->second.get() : nullptr;
}

Simulator::Document* Simulator::document(Session* s, int32_t doc)
{
    if (!s)
        return nullptr;
    const auto found = s->docs.find(doc);
    return found != s->docs.end() ? &found->second : nullptr;
}

Simulator::Call Simulator::sessionCall(const char* operation, AccelHandle h,
                                      const std::vector<std::string>& arguments)
{
    Call c;
    c.lock = Lock(m_mutex);
    std::vector<std::string> all = {handleText(h)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    c.r = reply(operation, all);
    c.s = session(h);
    if (!c.s)
        c.refused = refuse(c.r, SimUnknownHandle, "unknown handle");
    return c;
}

Simulator::Call Simulator::documentCall(const char* operation, AccelHandle h, int32_t doc,
                                       const std::vector<std::string>& arguments)
{
    std::vector<std::string> all = {"doc=" + number(doc)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    Call c = sessionCall(operation, h, all);
    c.d = document(c.s, doc);
    if (c.s && !c.d)
        c.refused = refuse(c.r, SimUnknownDocument, "unknown document");
    return c;
}

std::string Simulator::handleText(AccelHandle h)
{
    if (!h)
        return "h=null";
    const Session* s = session(h);
    return s ? "h=" + number(s->number) : "h=unknown";
}

void Simulator::keepRecord(const char* operation, const void* record, size_t size) const
{
    const auto path = m_recordPaths.find(operation);
    if (record && path != m_recordPaths.end())
        std::ofstream(std::filesystem::u8path(path->second), std::ios::binary | std::ios::trunc)
            .write(static_cast<const char*>(record), std::streamsize(size));
}

bool Simulator::validText(const char* bytes, int64_t length)
{
    return bytes && length >= 1 && length <= MaxTextLength;
}

std::string Simulator::textArgument(const char* name, const char* bytes, int64_t length)
{
    // A text is only read within the length the device accepts.
    if (!validText(bytes, length))
        return std::string(name) + "=" + (bytes ? "" : "null ") + "length " + number(length);
    return std::string(name) + "=" + CallTrace::text(bytes, length);
}

Simulator::Players Simulator::takeSessionPlayers(Session& s)
{
    Players players;
    for (auto& entry : s.docs) {
        if (entry.second.player)
            players.push_back(std::move(entry.second.player));
    }
    return players;
}

void Simulator::retire(std::unique_ptr<StatusPlayer> player, Lock& lock)
{
    Players players;
    players.push_back(std::move(player));
    retire(std::move(players), lock);
}

void Simulator::retire(Players players, Lock& lock)
{
    Players toJoin;
    for (auto& player : players) {
        if (player && player->onPlayerThread()) {
            player->stop();
            m_retired.push_back(std::move(player));
        } else if (player) {
            toJoin.push_back(std::move(player));
        }
    }
    lock.unlock();
    // Joined without the lock: a status callback in flight may still call in.
    toJoin.clear();
}

// ---- library and session ---------------------------------------------------------------------

uint32_t Simulator::bind(void* module, bool moduleIsOwn, void* table, int64_t tableSize, const std::string& folder,
                         const AccelFunctionTable& functions)
{
    Lock lock(m_mutex);
    if (!m_libraryInitialized) {
        // A new run: the scenario as the file says now, a fresh trace and fresh call counts.
        Scenario scenario;
        std::string error;
        const std::string path = folder + "/" + Scenario::fileName();
        if (!scenario.load(path, error)) {
            std::fprintf(stderr, "ACCEL simulator: %s: %s\n", path.c_str(), error.c_str());
            return SimBadScenario;
        }
        m_scenario = scenario;
        m_callCounts.clear();
        const std::string tracePath = inFolder(folder, m_scenario.traceFile);
        m_recordPaths.clear();
        for (const auto& [operation, file] : m_scenario.recordFiles)
            m_recordPaths[operation] = inFolder(folder, file);
        if (!m_trace.open(tracePath))
            std::fprintf(stderr, "ACCEL simulator: cannot write the trace %s\n", tracePath.c_str());
    }
    const Reply r = reply("LoadFunction", {std::string("module=") + (moduleIsOwn ? "own" : pointerText(module)),
                                           "table=" + pointerText(table), "size=" + number(tableSize)});
    if (!table || tableSize != AccelFunctionTableSize)
        return refuse(r, SimBadTable, "table null or its size not 352");
    if (!moduleIsOwn)
        return refuse(r, SimBadArgument, "module is not the loader's handle of this library");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    std::memcpy(table, &functions, sizeof functions);
    return accept(r);
}

uint32_t Simulator::loadLibraryInitialize(int32_t flags, const char* sdkFolder, int64_t sdkFolderLength,
                                          const char* tempFolder, int64_t tempFolderLength, int32_t reserved,
                                          void* reserved2)
{
    Lock lock(m_mutex);
    const Reply r = reply("LoadLibraryInitialize",
                          {"flags=" + number(flags), textArgument("sdkFolder", sdkFolder, sdkFolderLength),
                           textArgument("tempFolder", tempFolder, tempFolderLength), "reserved=" + number(reserved),
                           "reserved2=" + pointerText(reserved2)});
    if (m_libraryInitialized)
        return refuse(r, SimWrongOrder, "library already initialised");
    if ((flags & ~LoadLibraryFlags) != 0 || reserved != 0 || reserved2)
        return refuse(r, SimBadArgument, "unknown flags or reserved arguments set");
    if (!validText(sdkFolder, sdkFolderLength) || !validText(tempFolder, tempFolderLength))
        return refuse(r, SimBadArgument, "folder text null or its length outside 1 to 254");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    m_libraryInitialized = true;
    return accept(r);
}

uint32_t Simulator::loadLibraryTerminate(int32_t flags)
{
    Lock lock(m_mutex);
    const Reply r = reply("LoadLibraryTerminate", {"flags=" + number(flags)});
    if (!m_libraryInitialized)
        return refuse(r, SimWrongOrder, "library not initialised");
    if (flags != 0)
        return refuse(r, SimBadArgument, "flags not 0");
    for (const auto& entry : m_sessions) {
        if (entry.second->charts > 0)
            return refuse(r, SimBusy, "a chart is being generated");
    }
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    // Sessions left open end here, as the library goes.
    Players players = std::move(m_retired);
    for (auto& entry : m_sessions) {
        Players more = takeSessionPlayers(*entry.second);
        for (auto& player : more)
            players.push_back(std::move(player));
    }
    m_sessions.clear();
    m_libraryInitialized = false;
    accept(r);
    retire(std::move(players), lock);
    return SimOk;
}

AccelHandle Simulator::initialize(int32_t flags)
{
    Lock lock(m_mutex);
    const Reply r = reply("Initialize", {"flags=" + number(flags)});
    uint32_t refused = 0;
    if (!m_libraryInitialized)
        refused = refuse(r, SimWrongOrder, "library not initialised");
    else if (flags != 0)
        refused = refuse(r, SimBadArgument, "flags not 0");
    else if (const uint32_t f = fault(r))
        refused = refuse(r, f, "scenario fault");
    if (refused)
        return nullptr;
    auto s = std::make_unique<Session>();
    s->number = ++m_sessionCount;
    AccelHandle handle = s.get();
    m_sessions[handle] = std::move(s);
    accept(r, "h=" + number(m_sessionCount));
    return handle;
}

uint32_t Simulator::setPrinter(AccelHandle h, const char* model, int64_t length)
{
    Call c = sessionCall("SetPrinter", h, {textArgument("model", model, length)});
    if (!c.s)
        return c.refused;
    if (!validText(model, length))
        return refuse(c.r, SimBadArgument, "model text null or its length outside 1 to 254");
    if (c.s->connectionOpen)
        return refuse(c.r, SimWrongOrder, "the printer cannot change while connected");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.s->printer.assign(model, size_t(length));
    return accept(c.r);
}

uint32_t Simulator::terminate(AccelHandle h, int32_t flags)
{
    Call c = sessionCall("Terminate", h, {"flags=" + number(flags)});
    if (!c.s)
        return c.refused;
    if (flags != 0)
        return refuse(c.r, SimBadArgument, "flags not 0");
    if (c.s->charts > 0)
        return refuse(c.r, SimBusy, "a chart is being generated");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    Players players = takeSessionPlayers(*c.s);
    m_sessions.erase(h);
    accept(c.r);
    retire(std::move(players), c.lock);
    return SimOk;
}

uint32_t Simulator::open(AccelHandle h, int32_t connectionCode, const char* address, int64_t length)
{
    Call c = sessionCall("Open", h, {"code=" + number(connectionCode), textArgument("address", address, length)});
    if (!c.s)
        return c.refused;
    if (!validText(address, length))
        return refuse(c.r, SimBadArgument, "address text null or its length outside 1 to 254");
    if (connectionCode != 0 && connectionCode != 1 && connectionCode != 4)
        return refuse(c.r, SimBadArgument, "connection code not 0, 1 or 4");
    if (c.s->printer.empty())
        return refuse(c.r, SimWrongOrder, "no printer set");
    if (c.s->connectionOpen)
        return refuse(c.r, SimWrongOrder, "connection already open");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.s->connectionOpen = true;
    c.s->connectionCode = connectionCode;
    return accept(c.r);
}

uint32_t Simulator::close(AccelHandle h)
{
    Call c = sessionCall("Close", h, {});
    if (!c.s)
        return c.refused;
    if (!c.s->connectionOpen)
        return refuse(c.r, SimNotConnected, "connection not open");
    if (c.s->charts > 0)
        return refuse(c.r, SimBusy, "a chart is being generated");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.s->connectionOpen = false;
    return accept(c.r);
}

Simulator::Call Simulator::connectionQuery(const char* operation, AccelHandle h, const void* record)
{
    Call c = sessionCall(operation, h, {"record=" + pointerText(record)});
    if (!c.s)
        return c;
    if (!record)
        c.refused = refuse(c.r, SimBadArgument, "no record");
    else if (!c.s->connectionOpen)
        c.refused = refuse(c.r, SimNotConnected, "connection not open");
    else if (const uint32_t f = fault(c.r))
        c.refused = refuse(c.r, f, "scenario fault");
    return c;
}

uint32_t Simulator::getConnectionInfo(AccelHandle h, void* record)
{
    Call c = connectionQuery("GetConnectionInfo", h, record);
    if (c.refused)
        return c.refused;
    ConnectionInfoRecord info = {};
    info.mField0 = c.s->connectionCode;
    info.mConnectionStatus = m_scenario.connectionStatus;
    std::memcpy(record, &info, sizeof info);
    return accept(c.r, "status=" + number(info.mConnectionStatus));
}

uint32_t Simulator::getErrorCodes(AccelHandle h, void* record)
{
    Call c = connectionQuery("GetErrorCodes", h, record);
    if (c.refused)
        return c.refused;
    ErrorRecord errors = {};
    errors.mAccelConnectionStatus = c.s->errors.accelConnectionStatus;
    errors.mStatus = c.s->errors.status;
    errors.mErrorCode = c.s->errors.errorCode;
    errors.mILSErrorCode = c.s->errors.ilsErrorCode;
    std::strncpy(errors.mVersion, m_scenario.version.c_str(), sizeof errors.mVersion - 1);
    std::memcpy(record, &errors, sizeof errors);
    return accept(c.r, "codes=" + number(errors.mAccelConnectionStatus) + "," + number(errors.mStatus) + ","
                         + number(errors.mErrorCode) + "," + number(errors.mILSErrorCode));
}

// ---- documents -------------------------------------------------------------------------------

uint32_t Simulator::createDoc(AccelHandle h, int32_t* doc)
{
    Call c = sessionCall("CreateDoc", h, {"doc=" + pointerText(doc)});
    if (!c.s)
        return c.refused;
    if (!doc)
        return refuse(c.r, SimBadArgument, "no place for the document id");
    if (!c.s->connectionOpen)
        return refuse(c.r, SimNotConnected, "connection not open");
    if (c.s->lastDoc == INT32_MAX)
        return refuse(c.r, SimBadArgument, "document ids used up");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    *doc = ++c.s->lastDoc;
    c.s->docs[*doc];
    return accept(c.r, "doc=" + number(*doc));
}

uint32_t Simulator::setDocText(const char* operation, AccelHandle h, int32_t doc, const char* text, int64_t length)
{
    Call c = documentCall(operation, h, doc, {textArgument("text", text, length)});
    if (!c.d)
        return c.refused;
    if (!validText(text, length))
        return refuse(c.r, SimBadArgument, "text null or its length outside 1 to 254");
    if (c.d->state != DocState::Created)
        return refuse(c.r, SimWrongOrder, "document already started");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    return accept(c.r);
}

uint32_t Simulator::startDoc(AccelHandle h, int32_t doc, const void* record)
{
    std::string recordText = "record=null";
    const auto* rec = static_cast<const DocRecord*>(record);
    if (rec) {
        recordText = "record{doc=" + number(rec->mDocId) + ", page=" + number(rec->mPageWidth) + "x"
                     + number(rec->mPageHeight) + ", media=" + number(rec->mMediaWidth) + "x"
                     + number(rec->mMediaHeight) + ", modes=" + number(rec->mModeA) + ","
                     + number(rec->mModeB) + "," + number(rec->mModeC) + "}";
    }
    Call c = documentCall("StartDoc", h, doc, {recordText});
    keepRecord("StartDoc", record, sizeof(DocRecord));
    if (!c.d)
        return c.refused;
    if (!rec)
        return refuse(c.r, SimBadArgument, "no record");
    if (c.d->state != DocState::Created)
        return refuse(c.r, SimWrongOrder, "document already started");
    if (rec->mDocId != doc)
        return refuse(c.r, SimBadRecord, "record names another document");
    if (rec->mPageWidth <= 0 || rec->mPageHeight <= 0)
        return refuse(c.r, SimBadRecord, "page size not positive");
    if (rec->mDocNameLength < 0 || rec->mDocNameLength > MaxDocTextLength || rec->mUserNameLength < 0
        || rec->mUserNameLength > MaxDocTextLength)
        return refuse(c.r, SimBadRecord, "name length outside 0 to 1024");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.d->state = DocState::Started;
    c.d->dataEndsPage = rec->mModeA == 1 && rec->mModeB == 1 && rec->mModeC == 0;
    return accept(c.r);
}

uint32_t Simulator::endDoc(AccelHandle h, int32_t doc)
{
    return stopDocument("EndDoc", h, doc, DocState::Ended);
}

uint32_t Simulator::abortDoc(AccelHandle h, int32_t doc)
{
    return stopDocument("AbortDoc", h, doc, DocState::Aborted);
}

uint32_t Simulator::stopDocument(const char* operation, AccelHandle h, int32_t doc, DocState state)
{
    Call c = documentCall(operation, h, doc, {});
    if (!c.d)
        return c.refused;
    if (c.d->charting)
        return refuse(c.r, SimBusy, "a chart is being generated");
    // A document ends once; only a started one can end normally, any can be aborted.
    const bool stoppable = state == DocState::Ended ? running(c.d->state)
                                                    : c.d->state != DocState::Ended && c.d->state != DocState::Aborted;
    if (!stoppable)
        return refuse(c.r, SimWrongOrder, "document not started, or already ended");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.d->state = state;
    auto player = std::move(c.d->player);
    accept(c.r);
    retire(std::move(player), c.lock);
    return SimOk;
}

uint32_t Simulator::deleteDoc(AccelHandle h, int32_t doc)
{
    Call c = documentCall("DeleteDoc", h, doc, {});
    if (!c.d)
        return c.refused;
    if (running(c.d->state))
        return refuse(c.r, SimWrongOrder, "document still running; end or abort it first");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.s->docs.erase(doc);
    return accept(c.r);
}

uint32_t Simulator::printDoc(AccelHandle h, int32_t doc, AccelStatusCallback callback, void* user)
{
    Call c = documentCall("PrintDoc", h, doc,
                          {"callback=" + pointerText(reinterpret_cast<const void*>(callback)),
                           "user=" + pointerText(user)});
    if (!c.d)
        return c.refused;
    if (!callback)
        return refuse(c.r, SimBadArgument, "no status callback");
    if (c.d->state != DocState::Started)
        return refuse(c.r, SimWrongOrder, "document not started, or already printing");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.d->state = DocState::Printing;
    c.d->callback = callback;
    c.d->user = user;
    c.d->playerSerial = ++m_playerCount;
    const uint64_t serial = c.d->playerSerial;
    c.d->player = std::make_unique<StatusPlayer>(
        [this, h, doc, serial](int32_t page, const StatusStep& step) { deliverStatus(h, doc, serial, page, step); },
        m_scenario.statusDelayMs);
    return accept(c.r);
}

uint32_t Simulator::setPrintOption(AccelHandle h, int32_t doc, int32_t option)
{
    Call c = documentCall("SetPrintOption", h, doc, {"option=" + number(option)});
    if (!c.d)
        return c.refused;
    if (c.d->state == DocState::Ended || c.d->state == DocState::Aborted)
        return refuse(c.r, SimWrongOrder, "document already ended");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    return accept(c.r);
}

uint32_t Simulator::releaseJobStatus(AccelHandle h, int32_t doc)
{
    Call c = documentCall("ReleaseJobStatus", h, doc, {});
    if (!c.d)
        return c.refused;
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    return accept(c.r);
}

uint32_t Simulator::isDocFinished(AccelHandle h, int32_t doc)
{
    Call c = documentCall("IsDocFinished", h, doc, {});
    if (!c.d)
        return 0; // not a finished document of this session
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    const uint32_t finished = !c.d->player || c.d->player->idle() ? 1 : 0;
    m_trace.write(c.r.operation + "(" + c.r.arguments + ") = " + number(finished));
    return finished;
}

// ---- measurement -----------------------------------------------------------------------------

uint32_t Simulator::measurePage(AccelHandle h, int32_t doc, const void* dryingList, int64_t dryingCount,
                                const void* record, int64_t flags)
{
    const auto* rec = static_cast<const MeasurementRecord*>(record);
    std::string recordText = "record=null";
    if (rec) {
        recordText = "record{page=" + number(rec->mPageNumber) + ", patches=" + number(rec->mPatchCountX) + "x"
                     + number(rec->mPatchCountY) + ", size=" + number(rec->mPatchSizeWidth) + "x"
                     + number(rec->mPatchSizeHeight) + ", start=" + number(rec->mStartPositionX) + ","
                     + number(rec->mStartPositionY) + ", chartType=" + number(rec->mchartType) + "}";
    }
    Call c = documentCall("MeasurePage", h, doc,
                          {"drying=" + pointerText(dryingList), "count=" + number(dryingCount), recordText,
                           "flags=" + number(flags)});
    if (!c.d)
        return c.refused;
    if (!rec || flags != 1)
        return refuse(c.r, SimBadArgument, "no record, or flags not 1");
    if (dryingCount < 0 || dryingCount > MaxDryingEntries || (dryingCount > 0 && !dryingList))
        return refuse(c.r, SimBadArgument, "drying list does not match its count");
    if (c.d->state != DocState::Printing)
        return refuse(c.r, SimWrongOrder, "document not printing");
    const int64_t patches = int64_t(rec->mPatchCountX) * int64_t(rec->mPatchCountY);
    if (rec->mPageNumber < 1 || rec->mPatchCountX < 1 || rec->mPatchCountY < 1
        || patches > MeasurementData::MaxPatches)
        return refuse(c.r, SimBadRecord, "page number or patch counts out of range");
    const auto* drying = static_cast<const DryingRecord*>(dryingList);
    for (int64_t i = 0; i < dryingCount; ++i) {
        if (drying[i].mDryTime < 0 || drying[i].mPositionY < 0)
            return refuse(c.r, SimBadRecord, "drying entry " + number(i) + " with a negative time or position");
    }
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    PageData& page = c.d->pages[rec->mPageNumber];
    page.patchCount = int32_t(patches);
    page.dataCount = 0;
    c.d->player->enqueue(rec->mPageNumber, m_scenario.stepsForPage(rec->mPageNumber, c.d->dataEndsPage));
    return accept(c.r);
}

void Simulator::deliverStatus(AccelHandle h, int32_t doc, uint64_t serial, int32_t measuredPage,
                              const StatusStep& step)
{
    Lock lock(m_mutex);
    Session* s = session(h);
    Document* d = document(s, doc);
    // A document ended or aborted meanwhile hears nothing more.
    if (!d || !d->player || d->playerSerial != serial)
        return;
    const int32_t reportedPage = step.page > 0 ? step.page : measuredPage;
    JobStatusRecord& status = d->status;
    status = JobStatusRecord{};
    status.mDocId = doc;
    status.mJobStatus = step.code;
    status.mCurrentPage = reportedPage;
    status.mDataCount = step.dataCount;
    if (step.code == 0x400)
        status.mPercent400 = step.percent;
    else if (step.code == 0x410)
        status.mPercent410 = step.percent;
    else if (step.code == 0x500)
        status.mPercent500 = step.percent;
    if (step.dataCount > 0) {
        PageData& data = d->pages[reportedPage];
        data.patchCount = d->pages[measuredPage].patchCount;
        data.dataCount = step.dataCount;
        data.lastBlockLength = step.lastBlockLength;
        data.stallMs = step.stallMs;
    }
    if (step.setsErrors)
        s->errors = step.errors;
    const AccelStatusCallback callback = d->callback;
    void* const user = d->user;
    const std::string call = "StatusCallback(" + handleText(h) + ", doc=" + number(doc) + ", status="
                             + CallTrace::code(uint32_t(step.code)) + ", page=" + number(reportedPage)
                             + ", data=" + number(step.dataCount) + ")";
    lock.unlock();
    m_trace.write("-> " + call);
    const uint32_t answer = callback(h, doc, user);
    m_trace.write("<- StatusCallback = " + CallTrace::code(answer));
}

uint32_t Simulator::getJobStatus(AccelHandle h, int32_t doc, void* record)
{
    Call c = documentCall("GetJobStatus", h, doc, {"record=" + pointerText(record)});
    if (!c.d)
        return c.refused;
    if (!record)
        return refuse(c.r, SimBadArgument, "no record");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    std::memcpy(record, &c.d->status, sizeof c.d->status);
    return accept(c.r, "status=" + CallTrace::code(uint32_t(c.d->status.mJobStatus)) + " page="
                         + number(c.d->status.mCurrentPage));
}

void* Simulator::allocMeasurementData(AccelHandle h, int32_t doc, int32_t page, int32_t index, int32_t flags)
{
    Call c = documentCall("AllocMeasurementData", h, doc,
                          {"page=" + number(page), "index=" + number(index), "flags=" + number(flags)});
    if (!c.d)
        return nullptr;
    const auto found = c.d->pages.find(page);
    if (flags != -1) {
        refuse(c.r, SimBadArgument, "flags not -1");
        return nullptr;
    }
    if (found == c.d->pages.end() || index < 0 || index >= found->second.dataCount) {
        refuse(c.r, SimBadArgument, "no such data block for the page");
        return nullptr;
    }
    if (const uint32_t f = fault(c.r)) {
        refuse(c.r, f, "scenario fault");
        return nullptr;
    }
    auto block = std::make_unique<Block>();
    block->bytes = MeasurementData::block(page, index, found->second.patchCount);
    block->doc = doc;
    block->header.mPage = page;
    block->header.mIndex = index;
    block->header.mData = block->bytes.data();
    const bool last = index == found->second.dataCount - 1;
    block->header.mLength = last && found->second.lastBlockLength ? *found->second.lastBlockLength
                                                                  : int32_t(block->bytes.size());
    void* const answer = &block->header;
    const std::string detail = "length=" + number(block->header.mLength);
    const int32_t stallMs = found->second.stallMs;
    c.s->blocks[answer] = std::move(block);
    if (stallMs > 0) {
        // A stalled call holds no lock: the other threads go on meanwhile, as they would with a device.
        c.lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
    }
    accept(c.r, detail);
    return answer;
}

uint32_t Simulator::deallocMeasurementData(AccelHandle h, int32_t doc, void* block)
{
    Call c = sessionCall("DeallocMeasurementData", h, {"doc=" + number(doc), "block=" + pointerText(block)});
    if (!c.s)
        return c.refused;
    // Looked up, never dereferenced: the pointer may be anything.
    const auto found = c.s->blocks.find(block);
    if (found == c.s->blocks.end() || found->second->doc != doc)
        return refuse(c.r, SimBadArgument, "not a block handed out for this document");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.s->blocks.erase(found);
    return accept(c.r);
}

// ---- raw data and labels ---------------------------------------------------------------------

uint32_t Simulator::write(AccelHandle h, int32_t doc, const char* bytes, int64_t length)
{
    const bool readable = bytes && length >= 1 && length <= MaxWriteLength;
    const std::string bytesText = readable ? CallTrace::text(bytes, length) : pointerText(bytes);
    Call c = documentCall("Write", h, doc, {"bytes=" + bytesText, "length=" + number(length)});
    if (!c.d)
        return c.refused;
    if (!readable)
        return refuse(c.r, SimBadArgument, "bytes null or length outside 1 to 16 MiB");
    if (!running(c.d->state))
        return refuse(c.r, SimWrongOrder, "document not started, or ended");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    if (c.d->labelOpen)
        c.d->labelBytes += length;
    return accept(c.r);
}

uint32_t Simulator::setLabelOffset(AccelHandle h, int32_t doc, int32_t first, int32_t second, int32_t third)
{
    Call c = documentCall("SetLabelOffset", h, doc,
                          {"a=" + number(first), "b=" + number(second), "c=" + number(third)});
    if (!c.d)
        return c.refused;
    if (first < 0 || second < 0 || third < 0)
        return refuse(c.r, SimBadArgument, "negative offset");
    if (!running(c.d->state))
        return refuse(c.r, SimWrongOrder, "document not started, or ended");
    if (c.d->labelOpen)
        return refuse(c.r, SimWrongOrder, "a label is already open");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.d->labelOpen = true;
    c.d->labelBytes = 0;
    return accept(c.r);
}

uint32_t Simulator::endLabel(AccelHandle h, int32_t doc, int32_t flag)
{
    Call c = documentCall("EndLabel", h, doc, {"flag=" + number(flag)});
    if (!c.d)
        return c.refused;
    if (flag != 1)
        return refuse(c.r, SimBadArgument, "flag not 1");
    if (!c.d->labelOpen || c.d->labelBytes == 0)
        return refuse(c.r, SimWrongOrder, "no label opened and written");
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");
    c.d->labelOpen = false;
    return accept(c.r, "label=" + number(c.d->labelBytes) + " bytes");
}

// ---- chart -----------------------------------------------------------------------------------

uint32_t Simulator::createChart(AccelHandle h, int32_t doc, const void* record, int32_t a, int32_t b,
                                AccelChartCallback line, AccelChartCallback begin, AccelChartCallback end,
                                void* user)
{
    const auto* rec = static_cast<const ChartRecord*>(record);
    std::string recordText = "record=null";
    if (rec) {
        recordText = "record{channels=" + number(rec->mChannelCount) + ", code=" + number(rec->mChannelCode)
                     + ", patches=" + number(rec->mPatchCount) + "/" + number(rec->mPatchesPerRow)
                     + ", patch=" + number(rec->mPatchWidth) + "x" + number(rec->mPatchHeight)
                     + ", chart=" + number(rec->mChartWidth) + "x" + number(rec->mChartHeight)
                     + ", dpi=" + number(rec->mResolutionX) + "x" + number(rec->mResolutionY)
                     + ", type=" + number(rec->mChartType) + "}";
    }
    Call c = documentCall("CreateChart", h, doc, {recordText, "a=" + number(a), "b=" + number(b)});
    keepRecord("CreateChart", record, sizeof(ChartRecord));
    if (!c.d)
        return c.refused;
    if (!rec || !line || !begin || !end || a != 0 || b != 0)
        return refuse(c.r, SimBadArgument, "record or callback missing, or a, b not 0");
    if (!running(c.d->state))
        return refuse(c.r, SimWrongOrder, "document not started, or ended");
    if (c.d->charting)
        return refuse(c.r, SimBusy, "a chart is being generated");
    ChartLayout layout;
    std::string why;
    if (!layout.fromRecord(*rec, why))
        return refuse(c.r, SimBadRecord, why);
    if (const uint32_t f = fault(c.r))
        return refuse(c.r, f, "scenario fault");

    c.d->charting = true;
    ++c.s->charts;
    const ChartRenderer renderer(layout, rec, m_scenario.chartBatchLines, m_scenario.chartFault);
    const bool onCaller = m_scenario.chartOnCallerThread;
    c.lock.unlock();

    const ChartRenderer::Callbacks callbacks{line, begin, end, user};
    const auto trace = [this](const std::string& text) { m_trace.write(text); };
    uint32_t answer = 0;
    if (onCaller) {
        answer = renderer.run(h, doc, callbacks, trace);
    } else {
        std::thread sdkThread([&] { answer = renderer.run(h, doc, callbacks, trace); });
        sdkThread.join();
    }

    c.lock.lock();
    // Neither the session nor the document can go while charts > 0 and charting hold them.
    --c.s->charts;
    c.d->charting = false;
    if (answer != 0)
        return refuse(c.r, answer, "a callback stopped the chart");
    return accept(c.r, "image=" + number(layout.width()) + "x" + number(layout.height()) + " batch="
                         + number(renderer.batchLines()));
}

uint32_t Simulator::unsupported(int slot)
{
    Lock lock(m_mutex);
    const Reply r = reply("Slot", {number(slot)});
    return refuse(r, SimNotSupported, "lumetra never calls this slot");
}
