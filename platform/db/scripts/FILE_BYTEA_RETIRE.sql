-- Positional: file name, help flag. The bytes stay, marked retired.
select lrg.v_file_bytea_retire( :c_file , :b_help )
