#pragma once

#include "stats/serviceerror.h"

#include <QCoroTask>
#include <variant>

// The task's result, or the service error it ended with.
template <class Result> QCoro::Task<std::variant<Result, ServiceError>> settle(QCoro::Task<Result> task)
{
    try {
        co_return co_await task;
    } catch (const ServiceError &error) {
        co_return error;
    }
}
