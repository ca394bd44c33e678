#include "platform/failure.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace morvane {

Failure::Failure(int number) : Failure(number, standardDescription(number)) {}

Failure::Failure(int number, std::string description)
    : number_(number), description_(std::move(description)) {}

std::string standardDescription(int number) {
    switch (number) {
        case err::kInvalidCall:
            return "Llamada a procedimiento o argumento no válidos";
        case err::kOverflow:
            return "Desbordamiento";
        case err::kOutOfMemory:
            return "Memoria insuficiente";
        case err::kInternal:
            return "Error interno";
        case err::kBadFileNumber:
            return "Nombre o número de archivo incorrecto";
        case err::kFileNotFound:
            return "No se encontró el archivo";
        case err::kBadFileMode:
            return "Modo de archivo incorrecto";
        case err::kFileAlreadyOpen:
            return "El archivo ya está abierto";
        case err::kDeviceIo:
            return "Error de E/S en el dispositivo";
        case err::kFileExists:
            return "El archivo ya existe";
        case err::kDiskFull:
            return "Disco lleno";
        case err::kInputPastEnd:
            return "La entrada pasó del final del archivo";
        case err::kTooManyFiles:
            return "Demasiados archivos";
        case err::kDeviceUnavailable:
            return "Dispositivo no disponible";
        case err::kPermissionDenied:
            return "Permiso denegado";
        case err::kDiskNotReady:
            return "El disco no está listo";
        case err::kRenameAcrossDrives:
            return "No se puede cambiar el nombre con una unidad de disco diferente";
        case err::kPathFileAccess:
            return "Error de acceso a la ruta o el archivo";
        case err::kPathNotFound:
            return "No se encontró la ruta de acceso";
        case err::kInvalidPropertyIndex:
            return "Índice de matriz de propiedades no válido";
        case err::kCannotConvert:
            return "El texto tiene caracteres que no se pueden guardar en el archivo";
        default:
            return "Error definido por la aplicación o el objeto";
    }
}

Failure failureFromErrno(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
            return Failure(err::kFileNotFound);
        case ENOTDIR:
            return Failure(err::kPathNotFound);
        case EEXIST:
            return Failure(err::kFileExists);
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return Failure(err::kPermissionDenied);
        case ENOSPC:
#ifdef EDQUOT  // not in every C runtime (the Windows one lacks it)
        case EDQUOT:
#endif
        case EFBIG:
            return Failure(err::kDiskFull);
        case EMFILE:
        case ENFILE:
            return Failure(err::kTooManyFiles);
        case EISDIR:
        case ELOOP:
        case ENAMETOOLONG:
        case EINVAL:
        case EBUSY:  // in use by the host in a way that forbids the operation
        case ENOTEMPTY:
            return Failure(err::kPathFileAccess);
        case EXDEV:
            return Failure(err::kRenameAcrossDrives);
        case ENOMEM:
            return Failure(err::kOutOfMemory);
        // A device or a network folder that has gone away.
        case ENODEV:
        case ENXIO:
#ifdef ESTALE  // not in every C runtime (the Windows one lacks it)
        case ESTALE:
#endif
#ifdef EHOSTDOWN  // not in every C runtime (the Windows one lacks it)
        case EHOSTDOWN:
#endif
        case EHOSTUNREACH:
        case ENETDOWN:
        case ENETUNREACH:
        case ENOTCONN:
        case ECONNABORTED:
        case ECONNRESET:
        case ETIMEDOUT:
        case ENOLINK:
            return Failure(err::kDeviceUnavailable);
#ifdef ENOMEDIUM  // not in every C runtime (the Windows one lacks it)
        case ENOMEDIUM:
#endif
            return Failure(err::kDiskNotReady);
        case EIO:
            return Failure(err::kDeviceIo);
        default:
            return Failure(err::kDeviceIo, standardDescription(err::kDeviceIo) + " (" +
                                               std::strerror(errnoValue) + ")");
    }
}

}  // namespace morvane
