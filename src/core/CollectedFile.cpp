#include "core/CollectedFile.h"

#include "core/JsonCoding.h"

#include <algorithm>

namespace vorno {

namespace {

bool isOneOf(FileStatus status, std::initializer_list<FileStatus> statuses)
{
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

} // namespace

bool CollectedFile::isFinished() const
{
    return isOneOf(state(), {FileStatus::readyForReview, FileStatus::failed, FileStatus::deleted});
}

bool CollectedFile::isNeverPolled() const
{
    return state() == FileStatus::local || isFinished();
}

bool CollectedFile::isFinishedWithWork() const
{
    return state() == FileStatus::readyForReview && !partial && (!candidateCount || *candidateCount != 0);
}

void CollectedFile::apply(const FileProgress &progress)
{
    if (progress.status)
        status = *progress.status;
    failure = progress.failure;
    candidateCount = progress.candidateCount;
    partial = progress.partial;
    completed = progress.completed;
    total = progress.total;
}

bool CollectedFile::mayDropLocalCopy() const
{
    return isOneOf(state(),
                   {FileStatus::uploaded, FileStatus::queued, FileStatus::parsing, FileStatus::extracting,
                    FileStatus::readyForReview, FileStatus::failed});
}

CollectedFile json::Coding<CollectedFile>::read(const Reader &json)
{
    return {
        .id = json.string("id"),
        .name = json.string("name"),
        .size = json.integer("size"),
        .sha256 = json.string("sha256"),
        .contentType = json.string("contentType"),
        .objectPath = json.optionalString("objectPath"),
        .preflight = json.optionalString("preflight"),
        .uploadId = json.optionalString("uploadId"),
        .tus = json.optionalUrl("tus"),
        .status = json.string("status"),
        .failure = json.optionalString("failure"),
        .completed = json.optionalInteger("completed"),
        .total = json.optionalInteger("total"),
        .candidateCount = json.optionalInteger("candidateCount"),
        .partial = json.boolean("partial"),
    };
}

void json::Coding<CollectedFile>::write(Writer &json, const CollectedFile &file)
{
    json.set("id", file.id);
    json.set("name", file.name);
    json.set("size", file.size);
    json.set("sha256", file.sha256);
    json.set("contentType", file.contentType);
    json.set("objectPath", file.objectPath);
    json.set("preflight", file.preflight);
    json.set("uploadId", file.uploadId);
    json.set("tus", file.tus);
    json.set("status", file.status);
    json.set("failure", file.failure);
    json.set("completed", file.completed);
    json.set("total", file.total);
    json.set("candidateCount", file.candidateCount);
    json.set("partial", file.partial);
}

CollectedFile CollectedFile::fromJson(const QByteArray &json)
{
    return json::decode<CollectedFile>(json);
}

QByteArray CollectedFile::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
