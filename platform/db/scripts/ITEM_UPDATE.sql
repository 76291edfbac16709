-- A stale row version updates nothing, which the client takes as a conflict.
with i as (
    update dirs.t_item
       set id_item_family = :id_item_family ,
           c_name = btrim( :c_name ),
           b_is_confirmed = coalesce( :b_is_confirmed, false),
           b_is_from1c = coalesce( :b_is_from1c, false),
           id_meas_unit = :id_meas_unit ,
           n_volume = coalesce( :n_volume, 0)
     where id = :id
       and n_row_version = :n_row_version
    returning *
)
select i.id, i.id_item_family, i.c_name, i.b_is_confirmed, i.b_is_from1c, i.id_meas_unit, u.c_name as c_meas_unit,
       i.n_volume, i.n_row_version
  from i
  left join dirs.t_meas_unit u on u.id = i.id_meas_unit
