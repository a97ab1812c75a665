// The width in bytes of a value of a fixed-size type: what ActualSize reports for numbers,
// Booleans and dates.
#ifndef KELVO_DATA_TYPE_WIDTH_H_
#define KELVO_DATA_TYPE_WIDTH_H_

namespace kelvo::data {

// The width of a fixed-size ado::DataTypeEnum type; 8 for any other type.
long TypeWidth(int type);

}  // namespace kelvo::data

#endif  // KELVO_DATA_TYPE_WIDTH_H_
