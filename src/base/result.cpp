#include "base/result.h"

#include <cstring>

namespace cdsetup::base {

Status Status::FromErrno(int err, const std::string& context) {
  std::string msg = context + ": " + std::strerror(err);
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return NotFound(std::move(msg));
    case EEXIST:
      return AlreadyExists(std::move(msg));
    case EACCES:
    case EPERM:
    case EROFS:
    case ENAMETOOLONG:
      return Refused(std::move(msg));
    case EBUSY:
    case ETXTBSY:
      return Busy(std::move(msg));
    case ENOSYS:
    case EOPNOTSUPP:
      return Unsupported(std::move(msg));
    default:
      return IoError(std::move(msg));
  }
}

std::string Status::ToString() const {
  const char* name = "OK";
  switch (kind_) {
    case Kind::kOk:
      return "OK";
    case Kind::kNotFound:
      name = "not found";
      break;
    case Kind::kAlreadyExists:
      name = "already exists";
      break;
    case Kind::kRefused:
      name = "refused";
      break;
    case Kind::kIoError:
      name = "I/O error";
      break;
    case Kind::kCorrupt:
      name = "corrupt";
      break;
    case Kind::kBusy:
      name = "busy";
      break;
    case Kind::kCancelled:
      name = "cancelled";
      break;
    case Kind::kUnsupported:
      name = "unsupported";
      break;
  }
  return std::string(name) + ": " + message_;
}

}  // namespace cdsetup::base
