#include "platform/FileProblem.h"

FileProblem FileProblem::of(Kind kind, const QString &path)
{
    FileProblem problem;
    problem.kind = kind;
    problem.path = path;
    return problem;
}

FileProblem FileProblem::system(const QString &path, int errorNumber)
{
    return system(path, systemCauseOf(errorNumber), systemErrorText(errorNumber));
}

FileProblem FileProblem::system(const QString &path, SystemCause cause, const QString &reason)
{
    FileProblem problem = of(Kind::System, path);
    problem.cause = cause;
    problem.reason = reason;
    return problem;
}
